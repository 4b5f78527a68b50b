// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class TReceiveDocument;
class TReceivePane;

// The receive pane as assistive technology sees it: a read-only text whose whole content can be read, searched by
// offset and selected, like a stock read-only text box.
class TReceivePaneAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit TReceivePaneAccessible(TReceivePane *pane);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    TReceivePane *Pane() const;
    // What the pane shows: the text, offsets and selection are read here; changes go through the pane.
    const TReceiveDocument &Document() const;
};

// Makes Qt use TReceivePaneAccessible for every receive pane; safe to call more than once.
void InstallReceivePaneAccessibleFactory();
