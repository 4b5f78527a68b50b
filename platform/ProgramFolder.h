// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// Where the program keeps its files (setfile.ini and txt.txt).
//
// - Portable: when a setfile.ini or the marker file "portable" already lies beside the executable, and that folder is
//   writable and is not one of the system's program folders (a build folder, which the build marks, or a copy
//   unpacked with its settings), the files live beside the executable. A writable folder alone is not enough: a
//   program installed to ~/.local/bin keeps its settings with the user's others.
// - Installed: otherwise (an executable in /usr/bin, /usr/local/bin or ~/.local/bin, even when root could write
//   there), they live in $XDG_CONFIG_HOME/kelvara/, or in $HOME/.config/kelvara/ when XDG_CONFIG_HOME is unset, empty
//   or relative.
// - Chosen: a folder given with --config-dir wins over both.
// The formats of the files are the same in every mode.

inline constexpr const char *SettingsFileName = "setfile.ini";
inline constexpr const char *HistoryFileName = "txt.txt";
// An empty file of this name beside the executable asks for portable mode before any setfile.ini exists.
inline constexpr const char *PortableMarkerName = "portable";

struct TFolderFacts {
    std::string ExecutableFolder; // absolute
    bool ExecutableFolderWritable = false; // this user may create files there
    std::string ConfigDirOption; // --config-dir made absolute; empty when not given
    std::string XdgConfigHome; // the variable as it is; empty when unset
    std::string Home; // $HOME, or the user's home from the password database when HOME is unset
    bool SettingsFileBeside = false; // a setfile.ini lies in ExecutableFolder
    bool PortableMarkerBeside = false; // so does the marker file
};

enum class TFilesMode { Portable, Installed, Chosen };

struct TFilesFolder {
    std::string Path; // absolute, ending in '/'
    TFilesMode Mode = TFilesMode::Portable;

    bool operator==(const TFilesFolder &) const = default;
};

TFilesFolder ChooseFilesFolder(const TFolderFacts &facts);

// The facts of this process: the executable's folder from /proc/self/exe, whether access() lets this user write
// there, and the environment. configDirOption is made absolute against the current folder.
TFolderFacts CurrentFolderFacts(const std::string &configDirOption = {});

// The folder of this run. Start-up sets it once, before any window exists; until then it is chosen from this
// process's facts without --config-dir. User-interface thread only.
void SetFilesFolder(const TFilesFolder &folder);
const TFilesFolder &FilesFolder();

// The full path of one of the program's files in the folder of this run, e.g. ProgramFilePath("txt.txt").
std::string ProgramFilePath(std::string_view name);

// Why the program cannot keep its files in its folder: the system's error number and a line for the standard error
// that says what failed where. No error number when the folder is ready.
struct TFolderProblem {
    int Error = 0;
    std::string Text;

    explicit operator bool() const { return Error != 0; }
};

// Creates the folder of an installed or chosen setup when it is missing, and an empty txt.txt when that is missing, so
// that the first "发送并保存" has a history file to append to, and checks that the folder can be written. Leaves a
// portable folder as it is (it was chosen because it can be written).
TFolderProblem PrepareFilesFolder(const TFilesFolder &folder);
