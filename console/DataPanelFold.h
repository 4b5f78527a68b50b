// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Heights of the main window's data panel and the arithmetic of its fold/unfold animation. Unfolding aims at 372 and
// stops at 370, folding aims at 20 and stops at 30, so that every step moves the panel by at least one pixel.
namespace DataPanelFold
{

inline constexpr int FoldedHeight = 30;
inline constexpr int UnfoldedHeight = 370;
inline constexpr int UnfoldTarget = 372;
inline constexpr int FoldTarget = 20;

enum class TDirection { Unfold, Fold };

// What a click on the fold/unfold button starts, decided by the panel's height alone.
constexpr TDirection DirectionForClick(int height)
{
    return height <= FoldedHeight ? TDirection::Unfold : TDirection::Fold;
}

// One unfold step: a third of the way to the target, truncated toward zero.
constexpr int NextUnfoldHeight(int height)
{
    return height + (UnfoldTarget - height) / 3;
}

constexpr bool UnfoldDone(int height)
{
    return height >= UnfoldedHeight;
}

// One fold step: a fifth of the way to the target, truncated toward zero.
constexpr int NextFoldHeight(int height)
{
    return height - (height - FoldTarget) / 5;
}

constexpr bool FoldDone(int height)
{
    return height <= FoldedHeight;
}

} // namespace DataPanelFold
