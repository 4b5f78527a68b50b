// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoders/LineAssembler.h"

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

// The reference for received lines, one byte at a time: a line ends at CR LF, a lone LF or a lone CR (an LF right
// after a CR belongs to that CR's break, even in the next piece), or when it reaches MaxLine bytes. With WholeOnly a
// line longer than MaxLine is not cut but left out whole.
struct TLineModel {
    std::size_t MaxLine = TLineAssembler::MaxLineBytes;
    bool WholeOnly = false;
    std::deque<std::string> Complete;
    std::string Open;
    bool AfterCr = false;

    void Add(std::string_view bytes)
    {
        for (const char c : bytes) {
            const bool afterCr = AfterCr;
            AfterCr = false;
            if (c == '\n' && afterCr)
                continue;
            if (c == '\r' || c == '\n') {
                if (!WholeOnly || Open.size() <= MaxLine)
                    Complete.push_back(Open);
                Open.clear();
                AfterCr = c == '\r';
                continue;
            }
            Open += c;
            if (!WholeOnly && Open.size() == MaxLine) {
                Complete.push_back(Open);
                Open.clear();
            }
        }
    }

    // Every line so far, the open one included once it holds a byte.
    std::deque<std::string> Lines() const
    {
        std::deque<std::string> lines = Complete;
        if (!Open.empty())
            lines.push_back(Open);
        return lines;
    }
};
