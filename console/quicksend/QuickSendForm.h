// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/quicksend/QuickSendEntry.h"
#include "console/quicksend/QuickSendRepeats.h"
#include "console/send/SendLogic.h"
#include "console/send/TimedSendReporter.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;

// The window "快捷发送": a button for each entry, captioned with its name, and the editor of the entries below them.
// A click sends the entry as "发送" sends the send box (same checks, same boxes, no history entry); an entry with a
// repeat interval starts sending at that interval instead, its button pressed while it runs, and the next click stops
// it. A repeating entry stops on its first failure with one box, and every one stops when the port closes.
//
// The entries are kept in a quick-send file (quicksend.ini beside setfile.ini): read when the window is made, written
// shortly after each change and when the window goes. A file that cannot be read is moved aside (its name gets
// ".bad"), so that nothing in it is lost when the entries are written again. Lives on the user-interface thread.
class TQuickSendForm : public QWidget
{
    Q_OBJECT
public:
    // send: the port's send function; portOpen tells whether the port is open (a send refused on an open port means
    // its device has gone, and the port reports that itself).
    TQuickSendForm(std::string filePath, TSendFunction send, std::function<bool()> portOpen, QWidget *parent = nullptr);
    ~TQuickSendForm() override;

    const std::vector<TQuickSendEntry> &Entries() const { return FEntries; }
    // Replaces every entry (stopping any repeat) and writes the file.
    void SetEntries(std::vector<TQuickSendEntry> entries);

    // A click on the entry's button, or its shortcut. Nothing for an entry that does not exist.
    void SendEntry(std::size_t index);
    bool Repeating(std::size_t index) const { return FRepeats.Running(index); }
    // The port has closed: every repeat ends, without a box.
    void StopRepeats();

    // "导入…" and "导出…" with the file already chosen. A bad file gives a box and changes nothing; a file without
    // entries replaces the entries only when the user says yes to the question.
    void Import(const std::string &path);
    void Export(const std::string &path);
    // Writes the file now if a change is waiting; a refused write gives a box. The save timer calls it shortly after
    // each change.
    void Save();

    // Asks for a file for "导入…" (save false) or "导出…" (save true); an empty path cancels. By default the file
    // dialogs; tests set their own.
    void SetFileChooser(std::function<std::string(bool save)> chooser) { FFileChooser = std::move(chooser); }

    std::vector<QPushButton *> SendButtons;
    QListWidget *EntryList;
    QLineEdit *NameEdit;
    QPlainTextEdit *ContentEdit;
    QCheckBox *HexCheck;
    QComboBox *EndingCombo;
    QSpinBox *RepeatSpin;
    QPushButton *AddButton;
    QPushButton *DeleteButton;
    QPushButton *ImportButton;
    QPushButton *ExportButton;

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void BuildEditor();
    void Load();
    void RebuildButtons();
    void ShowEntry(int index);
    void EntryEdited();
    void AddClick();
    void DeleteClick();
    void ImportClick();
    void ExportClick();
    void RepeatTimerTimer();
    void ArmRepeatTimer();
    void StopRepeat(std::size_t index);
    THexText Content(const TQuickSendEntry &entry) const;
    std::string ChooseFile(bool save);
    // The repeats' clock: a steady clock in milliseconds.
    static int64_t Now();
    void ChangesMade();

    std::string FFilePath;
    TSendFunction FSend;
    std::function<bool()> FPortOpen;
    std::vector<TQuickSendEntry> FEntries;
    TQuickSendRepeats FRepeats;
    TTimedSendReporter FReporter;
    QGridLayout *FButtonGrid = nullptr;
    QTimer *FRepeatTimer = nullptr;
    QTimer *FSaveTimer = nullptr;
    std::function<std::string(bool)> FFileChooser;
    bool FSaveBlocked = false; // the file could neither be read nor moved aside: leave it as it is
    bool FChangesWaiting = false; // a change not yet in the file
    bool FSaveFailed = false; // the last write was refused (its box has been shown)
    bool FShowingEntry = false;
};
