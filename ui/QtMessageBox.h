// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Installs the message-box handler that shows real QMessageBox dialogs, application-modal, with the program's icons
// and Chinese buttons. Call once after the QApplication exists.
void InstallQtMessageBoxes();
