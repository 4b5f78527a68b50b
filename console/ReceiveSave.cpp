#include "console/ReceiveSave.h"

#include "console/ReceiveText.h"
#include "console/SaveDialog.h"

#include <cstdio>

bool WriteReceivedText(const TReceiveText &text, const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = true;
    text.ForEachPiece([&](std::string_view piece) {
        if (ok && std::fwrite(piece.data(), 1, piece.size(), file) != piece.size())
            ok = false;
    });
    return std::fclose(file) == 0 && ok;
}

void SaveReceivedText(const TReceiveText &text, TSaveDialog &dialog, QWidget *parent)
{
    if (!dialog.Execute(parent))
        return;
    WriteReceivedText(text, dialog.FileName);
}
