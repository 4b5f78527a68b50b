// SPDX-License-Identifier: GPL-3.0-or-later
// The chart's context menus: their content and enable rules as plain data, what choosing an item does, and the
// QMenu made from them.

#include "chart/PlotContextMenu.h"

#include "chart/PlotChannel.h"
#include "chart/PlotContextMenuBuilder.h"
#include "chart/PlotDataCursor.h"
#include "chart/PlotDataView.h"
#include "chart/PlotLegend.h"
#include "chart/PlotManualClock.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotToolBar.h"
#include "chart/PlotXAxis.h"

#include <QMenu>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace
{

// A chart's objects without a control.
struct TObjects {
    TPlotManualClock Clock;
    TPlotMasterManager Master { Clock, [] {} };
};

// A data view, a legend, a toolbar and an axis on one chart, for the tables of menus.
struct TMenuObjects : TObjects {
    TPlotDataView *View = Master.DataViews().Add();
    TPlotLegend *Legend = Master.Legends().Add();
    TPlotToolBar *ToolBar = Master.ToolBars().Add();
    TPlotXAxis *Axis = Master.XAxes().Add();
};

// A row of a menu table: the menu an object offers, as Describe gives it.
struct TMenuCase {
    const char *Name;
    const TPlotObject *Object;
    bool UserCanEdit;
    const char *Menu;
};

// One line per menu: "Caption" plus "[x]" checked, "[ ]" checkable and unchecked, "(-)" disabled, and a submenu's
// items in braces; items separated by " | ".
QString Describe(const std::vector<TPlotMenuItem> &items)
{
    QStringList parts;
    for (const TPlotMenuItem &item : items) {
        QString part = item.Caption;
        if (item.Command == pmcSubmenu)
            part += u'{' + Describe(item.Items) + u'}';
        if (item.Checkable)
            part += item.Checked ? QStringLiteral("[x]") : QStringLiteral("[ ]");
        if (!item.Enabled)
            part += QStringLiteral("(-)");
        parts << part;
    }
    return parts.join(QStringLiteral(" | "));
}

const TPlotMenuItem *Find(const std::vector<TPlotMenuItem> &items, const QString &caption)
{
    for (const TPlotMenuItem &item : items) {
        if (item.Caption == caption)
            return &item;
        if (const TPlotMenuItem *inner = Find(item.Items, caption))
            return inner;
    }
    return nullptr;
}

TEST(PlotContextMenu, AnAxisOffersTrackingResumeValuesAndZoomToFit)
{
    struct TCase {
        const char *Name;
        std::function<void(TPlotAxis &)> Setup;
        bool UserCanEdit;
        const char *Menu;
    };
    const TCase cases[] = {
        { "tracking", [](TPlotAxis &) {}, true,
            "Tracking Enabled[x] | Update Resume Values(-) | Zoom to Fit | Edit..." },
        { "paused where it was", [](TPlotAxis &a) { a.SetTrackingEnabled(false); }, true,
            "Tracking Enabled[ ] | Update Resume Values(-) | Zoom to Fit | Edit..." },
        { "paused and moved",
            [](TPlotAxis &a) {
                a.SetTrackingEnabled(false);
                a.SetMin(a.Min() + 3);
            },
            true, "Tracking Enabled[ ] | Update Resume Values | Zoom to Fit | Edit..." },
        { "paused and zoomed",
            [](TPlotAxis &a) {
                a.SetTrackingEnabled(false);
                a.SetSpan(a.Span() * 2);
            },
            true, "Tracking Enabled[ ] | Update Resume Values | Zoom to Fit | Edit..." },
        { "moved while tracking",
            [](TPlotAxis &a) {
                a.SetTrackingEnabled(false);
                a.SetMin(a.Min() + 3);
                a.SetTrackingEnabled(true);
                a.SetMin(a.Min() + 3);
            },
            true, "Tracking Enabled[x] | Update Resume Values(-) | Zoom to Fit | Edit..." },
        { "user may not edit", [](TPlotAxis &) {}, false,
            "Tracking Enabled[x] | Update Resume Values(-) | Zoom to Fit" },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TObjects objects;
        TPlotXAxis &axis = *objects.Master.XAxes().Add();
        c.Setup(axis);
        EXPECT_EQ(Describe(PlotContextMenuItems(&axis, c.UserCanEdit)), c.Menu);
    }
}

TEST(PlotContextMenu, ADataCursorOffersChannelStyleOptionsAndFlip)
{
    using TSetup = std::function<void(TPlotDataCursor &, TPlotMasterManager &)>;
    const QString styles = "Style{Value X-Y[x] | Value X[ ] | Value Y[ ] | Period[ ] | Peak-Peak[ ] | Frequency[ ]}";
    const QString options = "Options{Use Channel Color[x] | Hide Hint On Release[ ]}";
    struct TCase {
        const char *Name;
        TSetup Setup;
        QString Channels, Styles, Options, Flip; // Options empty: no submenu
    };
    const TCase cases[] = {
        { "one channel", [](TPlotDataCursor &, TPlotMasterManager &) {}, "Channel{<All>[ ] | 数据[x]}", styles, options,
            "Flip Alignment" },
        { "<All> not allowed", [](TPlotDataCursor &c, TPlotMasterManager &) { c.SetChannelAllowAll(false); },
            "Channel{数据[x]}", styles, options, "Flip Alignment" },
        { "on <All>", [](TPlotDataCursor &c, TPlotMasterManager &) { c.SetChannelName("<All>"); },
            "Channel{<All>[x] | 数据[ ]}", styles, options, "Flip Alignment(-)" },
        { "on a channel that is gone", [](TPlotDataCursor &c, TPlotMasterManager &) { c.SetChannelName("x"); },
            "Channel{<All>[ ] | 数据[ ]}", styles, options, "Flip Alignment" },
        { "a second channel", [](TPlotDataCursor &, TPlotMasterManager &m) { m.Channels().Add<TPlotChannel>(); },
            "Channel{<All>[ ] | 数据[x] | Channel 2[ ]}", styles, options, "Flip Alignment" },
        { "hidden channels are left out",
            [](TPlotDataCursor &, TPlotMasterManager &m) { m.Channels().Add<TPlotChannel>()->SetVisible(false); },
            "Channel{<All>[ ] | 数据[x]}", styles, options, "Flip Alignment" },
        { "a style item hidden", [](TPlotDataCursor &c, TPlotMasterManager &) { c.SetMenuItemVisibleValueX(false); },
            "Channel{<All>[ ] | 数据[x]}", "Style{Value X-Y[x] | Value Y[ ] | Period[ ] | Peak-Peak[ ] | Frequency[ ]}",
            options, "Flip Alignment" },
        { "another style", [](TPlotDataCursor &c, TPlotMasterManager &) { c.SetStyle(pcsInverseDeltaX); },
            "Channel{<All>[ ] | 数据[x]}",
            "Style{Value X-Y[ ] | Value X[ ] | Value Y[ ] | Period[ ] | Peak-Peak[ ] | Frequency[x]}", options,
            "Flip Alignment(-)" },
        { "options locked", [](TPlotDataCursor &c, TPlotMasterManager &) { c.SetMenuUserCanChangeOptions(false); },
            "Channel{<All>[ ] | 数据[x]}", styles, "", "Flip Alignment" },
        { "options changed",
            [](TPlotDataCursor &c, TPlotMasterManager &) {
                c.SetUseChannelColor(false);
                c.SetHintHideOnRelease(true);
            },
            "Channel{<All>[ ] | 数据[x]}", styles, "Options{Use Channel Color[ ] | Hide Hint On Release[x]}",
            "Flip Alignment" },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        TObjects objects;
        TPlotChannel &channel = *objects.Master.Channels().Add<TPlotChannel>();
        channel.SetTitleText("数\r\n据"); // line breaks do not reach the caption
        TPlotDataCursor &cursor = *objects.Master.DataCursors().Add();
        cursor.SetChannelName(channel.Name());
        c.Setup(cursor, objects.Master);
        QStringList menu { c.Channels, c.Styles };
        if (!c.Options.isEmpty())
            menu << c.Options;
        menu << c.Flip << "Edit...";
        EXPECT_EQ(Describe(PlotContextMenuItems(&cursor, true)), menu.join(" | "));
    }
}

TEST(PlotContextMenu, FlipAlignmentOnlyForOnePointerStylesOnOneChannel)
{
    struct TCase {
        TPlotDataCursorStyle Style;
        bool AllChannels;
        bool Enabled;
    };
    const TCase cases[] = {
        { pcsValueXY, false, true },
        { pcsValueX, false, true },
        { pcsValueY, false, true },
        { pcsDeltaX, false, false },
        { pcsDeltaY, false, false },
        { pcsInverseDeltaX, false, false },
        { pcsValueXY, true, false },
        { pcsValueY, true, false },
    };
    for (const TCase &c : cases) {
        TObjects objects;
        TPlotDataCursor &cursor = *objects.Master.DataCursors().Add();
        cursor.SetStyle(c.Style);
        cursor.SetChannelName(c.AllChannels ? "<All>" : "Channel 1");
        const std::vector<TPlotMenuItem> items = PlotContextMenuItems(&cursor, false);
        const TPlotMenuItem *flip = Find(items, "Flip Alignment");
        ASSERT_NE(flip, nullptr);
        EXPECT_EQ(flip->Enabled, c.Enabled) << "style " << c.Style << (c.AllChannels ? " on <All>" : "");
        EXPECT_EQ(items.back().Caption, "Flip Alignment");
    }
}

TEST(PlotContextMenu, OtherObjectsOfferOnlyEditAndSomeNothing)
{
    TMenuObjects o;
    o.Axis->SetPopupEnabled(false);
    const TMenuCase cases[] = {
        { "legend", o.Legend, true, "Edit..." },
        { "legend, no editing", o.Legend, false, "" },
        { "data view", o.View, true, "Edit..." },
        { "toolbar", o.ToolBar, true, "" },
        { "menu switched off", o.Axis, true, "" },
        { "nothing", nullptr, true, "" },
    };
    for (const TMenuCase &c : cases)
        EXPECT_EQ(Describe(PlotContextMenuItems(c.Object, c.UserCanEdit)), c.Menu) << c.Name;
    EXPECT_EQ(Describe(PlotContextMenuItems(o.Legend, true, {}, false)), "Edit...(-)") << "no editor to open";
}

TEST(PlotContextMenu, TheHostsItemsEndTheDataViewsMenuOnly)
{
    TMenuObjects o;
    TPlotDataView *view = o.View;
    std::vector<TPlotMenuItem> host(2);
    host[0].Caption = "Mode";
    host[0].Command = pmcHost;
    host[0].HostCommand = 1;
    host[0].Checkable = true;
    host[0].SeparatorBefore = true;
    host[1].Caption = "Export";
    host[1].Command = pmcHost;
    host[1].HostCommand = 2;

    const TMenuCase cases[] = {
        { "data view", view, true, "Edit... | Mode[ ] | Export" },
        { "data view, no editing", view, false, "Mode[ ] | Export" },
        { "legend", o.Legend, true, "Edit..." },
        { "toolbar", o.ToolBar, true, "" },
        { "axis", o.Axis, true, "Tracking Enabled[x] | Update Resume Values(-) | Zoom to Fit | Edit..." },
    };
    for (const TMenuCase &c : cases)
        EXPECT_EQ(Describe(PlotContextMenuItems(c.Object, c.UserCanEdit, host)), c.Menu) << c.Name;

    // A host item leaves the object alone and reaches the caller with its command; a separator stands before it.
    QObject receiver;
    std::vector<int> chosen;
    std::unique_ptr<QMenu> menu(BuildPlotContextMenu(PlotContextMenuItems(view, true, host), nullptr, &receiver,
        [&](const TPlotMenuItem &item) { chosen.push_back(item.HostCommand); }));
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->actions().size(), 4);
    EXPECT_TRUE(menu->actions()[1]->isSeparator());
    menu->actions()[3]->trigger();
    RunPlotMenuCommand(*view, host[0]);
    EXPECT_EQ(chosen, std::vector<int> { 2 });
}

TEST(PlotContextMenu, ChoosingAnItemChangesItsObject)
{
    TObjects objects;
    TPlotXAxis &axis = *objects.Master.XAxes().Add();
    TPlotDataCursor &cursor = *objects.Master.DataCursors().Add();
    auto run = [](TPlotObject &object, const QString &caption) {
        const std::vector<TPlotMenuItem> items = PlotContextMenuItems(&object, true);
        const TPlotMenuItem *item = Find(items, caption);
        ASSERT_NE(item, nullptr) << caption.toStdString();
        RunPlotMenuCommand(object, *item);
    };

    run(axis, "Tracking Enabled");
    EXPECT_FALSE(axis.TrackingEnabled());
    axis.SetMinSpan(5, 2);
    run(axis, "Update Resume Values");
    EXPECT_EQ(axis.ResumeMin(), 5);
    EXPECT_EQ(axis.ResumeSpan(), 2);
    run(axis, "Tracking Enabled");
    EXPECT_TRUE(axis.TrackingEnabled());
    EXPECT_EQ(axis.Min(), 5);

    run(cursor, "<All>");
    EXPECT_TRUE(cursor.IsAllChannels());
    run(cursor, "Peak-Peak");
    EXPECT_EQ(cursor.Style(), pcsDeltaY);
    run(cursor, "Use Channel Color");
    EXPECT_FALSE(cursor.UseChannelColor());
    run(cursor, "Hide Hint On Release");
    EXPECT_TRUE(cursor.HintHideOnRelease());
    run(cursor, "Flip Alignment");
    EXPECT_EQ(cursor.HintOrientationSide(), osTopLeft);
    run(cursor, "Flip Alignment");
    EXPECT_EQ(cursor.HintOrientationSide(), osBottomRight);

    // An item of one kind of object does nothing to another.
    TPlotMenuItem flip;
    flip.Command = pmcFlipAlignment;
    RunPlotMenuCommand(axis, flip);
    TPlotMenuItem toggle;
    toggle.Command = pmcToggleTracking;
    RunPlotMenuCommand(cursor, toggle);
    EXPECT_TRUE(axis.TrackingEnabled());
    EXPECT_EQ(cursor.HintOrientationSide(), osBottomRight);
}

TEST(PlotContextMenu, TheBuiltMenuShowsTheItemsAndRunsTheChosenOne)
{
    EXPECT_EQ(BuildPlotContextMenu({}, nullptr, nullptr, [](const TPlotMenuItem &) {}), nullptr);

    TObjects objects;
    TPlotDataCursor &cursor = *objects.Master.DataCursors().Add();
    cursor.SetStyle(pcsDeltaX);
    QObject receiver;
    std::vector<QString> chosen;
    std::unique_ptr<QMenu> menu(BuildPlotContextMenu(PlotContextMenuItems(&cursor, true), nullptr, &receiver,
        [&](const TPlotMenuItem &item) { chosen.push_back(item.Caption); }));
    ASSERT_TRUE(menu);
    QStringList captions;
    for (QAction *action : menu->actions())
        captions << action->text();
    EXPECT_EQ(captions, QStringList({ "Channel", "Style", "Options", "Flip Alignment", "Edit..." }));
    QAction *flip = menu->actions()[3];
    EXPECT_FALSE(flip->isEnabled());
    EXPECT_FALSE(flip->isCheckable());
    QMenu *styles = menu->actions()[1]->menu();
    ASSERT_NE(styles, nullptr);
    ASSERT_EQ(styles->actions().size(), 6);
    EXPECT_TRUE(styles->actions()[3]->isCheckable());
    EXPECT_TRUE(styles->actions()[3]->isChecked());
    EXPECT_FALSE(styles->actions()[0]->isChecked());
    styles->actions()[4]->trigger();
    menu->actions()[4]->trigger();
    EXPECT_EQ(chosen, (std::vector<QString> { "Peak-Peak", "Edit..." }));
}

} // namespace
