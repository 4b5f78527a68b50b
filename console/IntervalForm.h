#pragma once

#include <QWidget>

// The interval window of the timed send.
class TForm3 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);
};
