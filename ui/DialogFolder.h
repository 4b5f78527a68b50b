// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>

// The folder in which the program's file dialogs open: the folder of the last file the user chose in any of them
// during this run, else the user's documents folder (XDG_DOCUMENTS_DIR, ~/Documents by default), else the home
// folder. Never the program's settings folder, which is hidden and no place for the user's files.

struct TDialogFolderFacts {
    std::string LastFolder; // of the last file chosen in this run; empty before the first
    bool LastFolderExists = false;
    std::string Documents; // empty when the system names none
    bool DocumentsExists = false;
    std::string Home;
};

// The folder to open in, from the facts alone; a folder that no longer exists is passed over.
std::string ChooseDialogFolder(const TDialogFolderFacts &facts);

// The folder to open in for this process, from its last chosen file and the user's folders. User-interface thread.
QString DialogFolder();
// A path in the dialog folder: where a dialog that suggests the name `fileName` opens.
QString DialogPath(const QString &fileName);
// Records the file the user chose in a dialog (an empty path, a cancel, changes nothing). User-interface thread.
void RememberDialogFile(const QString &path);
