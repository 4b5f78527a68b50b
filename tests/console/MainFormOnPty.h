// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window on a pty, for the console tests that send and receive through the real window: joined with a
// floating window, its options kept in a temporary folder, message boxes recorded, the port open on a raw pty.
#include "MessageBoxRecorder.h"
#include "comm/SerialComm.h"
#include "console/FloatForm.h"
#include "console/MainForm.h"
#include "tests/support/Pty.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

class MainFormOnPty : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Pty.Valid());
        Form.SetWindows({ .Form7 = &Floating });
        Form.LoadOptions(Folder.filePath("setfile.ini").toStdString());
        BeforeOpening();
        Form.Comm1->SetCommName(Pty.SlavePath);
        Form.Comm1->OpenPort();
    }

    // What a fixture sets on the window before the port opens (nothing arrives before then).
    virtual void BeforeOpening() { }

    TPty Pty { TPty::Raw };
    QTemporaryDir Folder;
    TForm7 Floating;
    TMainForm Form;
    TMessageBoxRecorder Boxes;
};
