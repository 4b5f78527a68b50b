#pragma once

#include <QListView>

// The history window's list view. A class of its own so that assistive technology gets THistoryListAccessible for it:
// a list that reports how many rows it has and hands out rows when asked, instead of a child per entry.
class THistoryView : public QListView
{
    Q_OBJECT
public:
    explicit THistoryView(QWidget *parent = nullptr);

    // The rows on screen: the first one and how many (0 when none shows). A layout still pending after a change of
    // the list is done first, so that the answer is that of the list as it now is.
    struct TShownRows {
        int First = 0;
        int Count = 0;
    };
    TShownRows ShownRows();
};
