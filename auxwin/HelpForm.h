// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "auxwin/InfoWindow.h"

// The help window "在线帮助": who wrote the program and where to reach the author; kept above ordinary windows.
class TForm5 : public TInfoWindow
{
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);
};
