// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "console/history/HistoryFile.h"

#include <QWidget>
#include <string>

class QListView;
class QPushButton;
class THistoryModel;

// The send history window "历史数据": lists the entries of txt.txt without duplicates, deletes one, and hands one back
// to the main window's send box by double click. Created once and afterwards only shown and hidden; the list is
// loaded (and the file rewritten without duplicates) each time the window is shown. The list view lays out and decodes
// only the rows on screen, so a history of millions of entries opens as quickly as a short one.
class TForm2 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);

    // The history file; by default txt.txt in the program's folder (platform/ProgramFolder.h).
    void SetHistoryPath(const std::string &path);
    const std::string &HistoryPath() const { return FFile.Path(); }
    // The entries as listed, GBK bytes.
    const THistoryList &Entries() const;

    void FormShow();
    void Button1Click();
    void Button2Click();
    void ListBox1DblClick();

    QListView *ListBox1;
    QPushButton *Button1;
    QPushButton *Button2;

signals:
    // The entry picked by double click, for the main window's send box (Memo2).
    void EntryChosen(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SetEntries(THistoryList entries);
    void RewriteFile();
    int SelectedIndex() const;

    THistoryFile FFile;
    THistoryModel *FModel;
    bool FPlaced = false;
};
