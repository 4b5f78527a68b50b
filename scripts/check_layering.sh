#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source file includes against the dependency order of the folders, or when a toolkit-free folder
# includes a Qt Widgets header. The order, from the top:
#   app -> console -> {comm, chart, settings, auxwin, decoders, scripting, analysis} -> ui -> {platform, core}
# decoders/ (received bytes to samples) sits on core/ alone; settings/ may use it for the frame shape it keeps;
# scripting/ (the Lua script engine) sits on platform/ and core/; analysis/ (measurements, spectra) on core/ alone.
# Inside console/, the windows and their wiring at its top sit on its concern folders:
#   console -> {console/quicksend -> console/send -> console/history,
#               console/plotfeed -> {console/receive, console/instruments},
#               console/port}
# so no concern folder includes the main window or any other file at the top of console/.
# A folder may include itself and any folder below it, never one beside or above it. tools/ (the demo device) sits
# on decoders/ (the checksums its frames carry), platform/ and core/ alone. comm/, platform/ and core/ are free of Qt
# Widgets; ui/ holds the widget helpers that several windows share.
# Usage: scripts/check_layering.sh [SOURCE_ROOT]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

below_console="comm chart settings auxwin decoders scripting analysis ui platform core"
concerns="console/receive console/send console/history console/port console/plotfeed console/quicksend console/instruments"
declare -A allowed=(
    [core]="core"
    [platform]="platform core"
    [ui]="ui platform core"
    [comm]="comm platform core"
    [chart]="chart ui platform core"
    [settings]="settings decoders ui platform core"
    [auxwin]="auxwin ui platform core"
    [decoders]="decoders core"
    [scripting]="scripting platform core"
    [analysis]="analysis core"
    [console/receive]="console/receive $below_console"
    [console/history]="console/history $below_console"
    [console/port]="console/port $below_console"
    [console/send]="console/send console/history $below_console"
    [console/plotfeed]="console/plotfeed console/receive console/instruments $below_console"
    [console/quicksend]="console/quicksend console/send console/history $below_console"
    [console/instruments]="console/instruments $below_console"
    [console]="console $concerns $below_console"
    [app]="app console $concerns $below_console"
    [tools]="tools decoders platform core"
)

# The folder a path belongs to: a concern folder of console/ by its own name, any other by its first component.
folder_of() {
    case "$1" in
    console/*/*)
        local rest=${1#console/}
        echo "console/${rest%%/*}"
        ;;
    *) echo "${1%%/*}" ;;
    esac
}
widget_free="comm platform core decoders scripting analysis"

widgets_dir=$(find /usr/include -maxdepth 3 -type d -path '*qt6/QtWidgets' 2>/dev/null | head -1)

status=0
report() {
    echo "layering: $1"
    status=1
}

for folder in "${!allowed[@]}"; do
    [ -d "$folder" ] || continue
    while IFS= read -r -d '' file; do
        [ "$(folder_of "$file")" = "$folder" ] || continue
        while IFS=: read -r line target; do
            dependency=$(folder_of "$target")
            [ -n "${allowed[$dependency]+set}" ] || continue
            case " ${allowed[$folder]} " in
            *" $dependency "*) ;;
            *) report "$file:$line includes \"$target\": $folder/ may not depend on $dependency/" ;;
            esac
        done < <(grep -noE '^\s*#\s*include\s+"[^"]+"' "$file" | sed -E 's/^([0-9]+):.*"([^"]+)"/\1:\2/')

        case " $widget_free " in
        *" ${folder%%/*} "*)
            while IFS=: read -r line header; do
                base=${header#QtWidgets/}
                if [ "$header" != "$base" ] || { [ -n "$widgets_dir" ] && [ -e "$widgets_dir/$base" ]; }; then
                    report "$file:$line includes <$header>: $folder/ is free of Qt Widgets"
                fi
            done < <(grep -noE '^\s*#\s*include\s+<Q[^>]*>' "$file" | sed -E 's/^([0-9]+):.*<([^>]+)>/\1:\2/')
            if grep -qE 'Qt6?::Widgets|Qt6?::PrintSupport' "$folder/CMakeLists.txt" 2>/dev/null; then
                report "$folder/CMakeLists.txt links Qt Widgets: $folder/ is free of Qt Widgets"
            fi
            ;;
        esac
    done < <(find "$folder" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
done

if [ $status -eq 0 ]; then
    echo "layering: every include follows the dependency order"
fi
exit $status
