// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>

// Colours of the console's windows. The light label colour is made for a dark face: the bars and windows that hold
// such labels are given BarFace, so that the labels read.
inline const QColor PaneBackground(197, 207, 235); // text boxes and lists: black text on this
inline const QColor LabelText(206, 214, 235);
inline const QColor BarFace(50, 66, 106);
