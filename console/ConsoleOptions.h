// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/receive/ReceiveView.h"
#include "console/send/SendFormat.h"

#include <string>

// The optional ways of sending and showing data that the text boxes' context menus switch. All off by default, so
// that the program sends and shows as it always did until the user turns one on. Kept in setfile.ini's extension
// section.
struct TConsoleOptions {
    bool HexSend = false;
    TSendEnding Ending = TSendEnding::Rs; // after a text send
    TSendEnding HexEnding = TSendEnding::None; // after a hex send: binary frames carry no text trailer
    TReceiveView View {}; // of every receive pane
    bool AutoReconnect = false; // open the port again when its vanished device comes back
    bool ChunkLines = false; // every received chunk on a line of its own, as received, instead of whole lines

    // The ending of the send mode in use: each mode keeps its own choice.
    TSendEnding ActiveEnding() const { return HexSend ? HexEnding : Ending; }
    void SetActiveEnding(TSendEnding ending) { (HexSend ? HexEnding : Ending) = ending; }

    bool operator==(const TConsoleOptions &) const = default;
};

// The options stored in the settings file at path; defaults for whatever is missing.
TConsoleOptions LoadConsoleOptions(const std::string &path);

// Writes the options whose value differs from before; the file is not touched when nothing changed. False when a
// write was refused.
bool SaveConsoleOptions(const std::string &path, const TConsoleOptions &before, const TConsoleOptions &after);
