// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "auxwin/InfoWindow.h"

// The upgrade window "在线升级": how to ask the author for new or changed functions and get the upgraded program.
class TForm6 : public TInfoWindow
{
    Q_OBJECT
public:
    explicit TForm6(QWidget *parent = nullptr);
};
