// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/ReceiveSave.h"

#include "console/receive/ReceiveDocument.h"
#include "console/receive/ReceiveText.h"
#include "console/receive/SaveDialog.h"

#include <cstdio>
#include <functional>

namespace
{

using TPieceSource = std::function<void(const std::function<void(std::string_view)> &)>;

bool WritePieces(const TPieceSource &source, const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = true;
    source([&](std::string_view piece) {
        if (ok && std::fwrite(piece.data(), 1, piece.size(), file) != piece.size())
            ok = false;
    });
    return std::fclose(file) == 0 && ok;
}

} // namespace

bool WriteReceivedText(const TReceiveText &text, const std::string &path)
{
    return WritePieces([&](const auto &sink) { text.ForEachPiece(sink); }, path);
}

void SaveReceivedText(const TReceiveText &text, TSaveDialog &dialog, QWidget *parent)
{
    if (!dialog.Execute(parent))
        return;
    WriteReceivedText(text, dialog.FileName);
}

bool WriteReceivedText(const TReceiveDocument &document, const std::string &path)
{
    return WritePieces([&](const auto &sink) { document.ForEachShownPiece(sink); }, path);
}

void SaveReceivedText(const TReceiveDocument &document, TSaveDialog &dialog, QWidget *parent)
{
    if (!dialog.Execute(parent))
        return;
    WriteReceivedText(document, dialog.FileName);
}
