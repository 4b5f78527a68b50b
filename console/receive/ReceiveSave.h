// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

class QWidget;
class TReceiveDocument;
class TReceiveText;
class TSaveDialog;

// Writes the pane's bytes exactly as received (GBK and any other bytes, CR LF pairs included) to a new or overwritten
// file. Returns false when the file cannot be created or written.
bool WriteReceivedText(const TReceiveText &text, const std::string &path);

// "保存": asks for a file with the dialog and writes the pane's bytes there. Cancelling writes nothing; a failed write
// is not reported.
void SaveReceivedText(const TReceiveText &text, TSaveDialog &dialog, QWidget *parent = nullptr);

// The same for a pane's text as the pane shows it (TReceiveDocument::ForEachShownPiece): the received bytes exactly in
// the plain view, the hex or timestamped lines otherwise.
bool WriteReceivedText(const TReceiveDocument &document, const std::string &path);
void SaveReceivedText(const TReceiveDocument &document, TSaveDialog &dialog, QWidget *parent = nullptr);
