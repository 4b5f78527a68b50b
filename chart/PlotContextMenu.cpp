// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/PlotContextMenu.h"

#include "chart/PlotAxis.h"
#include "chart/PlotChannelCustom.h"
#include "chart/PlotDataCursor.h"
#include "chart/PlotDataView.h"
#include "chart/PlotMasterManager.h"
#include "chart/PlotToolActions.h"
#include "chart/PlotToolBar.h"

namespace
{

TPlotMenuItem Action(const QString &caption, TPlotMenuCommand command, bool enabled = true)
{
    TPlotMenuItem item;
    item.Caption = caption;
    item.Command = command;
    item.Enabled = enabled;
    return item;
}

TPlotMenuItem Check(const QString &caption, TPlotMenuCommand command, bool checked)
{
    TPlotMenuItem item = Action(caption, command);
    item.Checkable = true;
    item.Checked = checked;
    return item;
}

TPlotMenuItem Submenu(const QString &caption)
{
    TPlotMenuItem item;
    item.Caption = caption;
    return item;
}

void AddAxisItems(std::vector<TPlotMenuItem> &items, const TPlotAxis &axis)
{
    items.push_back(Check(QStringLiteral("Tracking Enabled"), pmcToggleTracking, axis.TrackingEnabled()));
    items.push_back(Action(QStringLiteral("Update Resume Values"), pmcUpdateResumeValues,
        !axis.TrackingEnabled() && (axis.Min() != axis.ResumeMin() || axis.Span() != axis.ResumeSpan())));
    items.push_back(Action(QStringLiteral("Zoom to Fit"), pmcZoomToFit));
}

void AddCursorItems(std::vector<TPlotMenuItem> &items, const TPlotDataCursor &cursor)
{
    TPlotMenuItem channels = Submenu(QStringLiteral("Channel"));
    auto addChannel = [&](const QString &caption, const QString &name) {
        TPlotMenuItem item = Check(caption, pmcCursorChannel, cursor.ChannelName() == name);
        item.Channel = name;
        channels.Items.push_back(item);
    };
    if (cursor.ChannelAllowAll())
        addChannel(
            QString::fromLatin1(TPlotDataCursor::AllChannels), QString::fromLatin1(TPlotDataCursor::AllChannels));
    const auto &list = cursor.Owner().Channels();
    for (int i = 0; i < list.Count(); ++i) {
        const TPlotChannelCustom *channel = list.Item(i);
        if (!channel->Visible())
            continue;
        QString caption = channel->TitleText();
        caption.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        addChannel(caption, channel->Name());
    }
    items.push_back(channels);

    TPlotMenuItem styles = Submenu(QStringLiteral("Style"));
    const struct {
        TPlotDataCursorStyle Style;
        QString Caption;
        bool Visible;
    } choices[] = {
        { pcsValueXY, cursor.MenuItemCaptionValueXY(), cursor.MenuItemVisibleValueXY() },
        { pcsValueX, cursor.MenuItemCaptionValueX(), cursor.MenuItemVisibleValueX() },
        { pcsValueY, cursor.MenuItemCaptionValueY(), cursor.MenuItemVisibleValueY() },
        { pcsDeltaX, cursor.MenuItemCaptionDeltaX(), cursor.MenuItemVisibleDeltaX() },
        { pcsDeltaY, cursor.MenuItemCaptionDeltaY(), cursor.MenuItemVisibleDeltaY() },
        { pcsInverseDeltaX, cursor.MenuItemCaptionInverseDeltaX(), cursor.MenuItemVisibleInverseDeltaX() },
    };
    for (const auto &choice : choices) {
        if (!choice.Visible)
            continue;
        TPlotMenuItem item = Check(choice.Caption, pmcCursorStyle, cursor.Style() == choice.Style);
        item.Style = choice.Style;
        styles.Items.push_back(item);
    }
    items.push_back(styles);

    if (cursor.MenuUserCanChangeOptions()) {
        TPlotMenuItem options = Submenu(QStringLiteral("Options"));
        options.Items.push_back(
            Check(QStringLiteral("Use Channel Color"), pmcToggleUseChannelColor, cursor.UseChannelColor()));
        options.Items.push_back(
            Check(QStringLiteral("Hide Hint On Release"), pmcToggleHintHideOnRelease, cursor.HintHideOnRelease()));
        items.push_back(options);
    }

    const bool onePointer = cursor.Style() == pcsValueXY || cursor.Style() == pcsValueX || cursor.Style() == pcsValueY;
    items.push_back(Action(QStringLiteral("Flip Alignment"), pmcFlipAlignment, !cursor.IsAllChannels() && onePointer));
}

} // namespace

std::vector<TPlotMenuItem> PlotContextMenuItems(
    const TPlotObject *object, bool userCanEditObjects, const std::vector<TPlotMenuItem> &hostItems, bool hasEditor)
{
    std::vector<TPlotMenuItem> items;
    if (!object || !object->PopupEnabled() || dynamic_cast<const TPlotToolBar *>(object))
        return items;
    if (auto *axis = dynamic_cast<const TPlotAxis *>(object))
        AddAxisItems(items, *axis);
    else if (auto *cursor = dynamic_cast<const TPlotDataCursor *>(object))
        AddCursorItems(items, *cursor);
    if (userCanEditObjects)
        items.push_back(Action(QStringLiteral("Edit..."), pmcEdit, hasEditor));
    if (dynamic_cast<const TPlotDataView *>(object))
        items.insert(items.end(), hostItems.begin(), hostItems.end());
    return items;
}

void RunPlotMenuCommand(TPlotObject &object, const TPlotMenuItem &item)
{
    auto *axis = dynamic_cast<TPlotAxis *>(&object);
    auto *cursor = dynamic_cast<TPlotDataCursor *>(&object);
    switch (item.Command) {
    case pmcToggleTracking:
        if (axis)
            axis->SetTrackingEnabled(!axis->TrackingEnabled());
        break;
    case pmcUpdateResumeValues:
        if (axis)
            axis->SetResumeValues(axis->Min(), axis->Span());
        break;
    case pmcZoomToFit:
        if (axis)
            ZoomAxisToFit(*axis);
        break;
    case pmcCursorChannel:
        if (cursor)
            cursor->SetChannelName(item.Channel);
        break;
    case pmcCursorStyle:
        if (cursor)
            cursor->SetStyle(item.Style);
        break;
    case pmcToggleUseChannelColor:
        if (cursor)
            cursor->SetUseChannelColor(!cursor->UseChannelColor());
        break;
    case pmcToggleHintHideOnRelease:
        if (cursor)
            cursor->SetHintHideOnRelease(!cursor->HintHideOnRelease());
        break;
    case pmcFlipAlignment:
        if (cursor)
            cursor->SetHintOrientationSide(cursor->HintOrientationSide() == osBottomRight ? osTopLeft : osBottomRight);
        break;
    case pmcSubmenu:
    case pmcEdit:
    case pmcHost:
        break;
    }
}
