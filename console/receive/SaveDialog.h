// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

class QWidget;

// The save dialog of the received text: asks for a file name, starting with the last one chosen. Files are never
// confirmed for overwriting. Tests replace what Execute does with SetRunner.
class TSaveDialog
{
public:
    std::string FileName = "sc.txt"; // UTF-8 path; the chosen one after Execute
    std::string DefaultExt = "txt";
    std::string Filter = "文本文档(*.txt)|*.txt"; // pairs of description|pattern

    // Shows the dialog (modal); true with FileName set when the user chose a file, false when cancelled.
    bool Execute(QWidget *parent = nullptr);

    using TRunner = std::function<bool(TSaveDialog &dialog, QWidget *parent)>;
    // Replaces the dialog (nullptr restores the real one); returns the previous runner.
    static TRunner SetRunner(TRunner runner);
};
