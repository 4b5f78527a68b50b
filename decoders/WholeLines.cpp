// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders/WholeLines.h"

void TWholeLines::PortOpened()
{
    FAssembler.Restart();
    FOpen.clear();
    FPassOver = true;
}
