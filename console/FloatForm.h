#pragma once

#include <QWidget>

// The floating receive/send window.
class TForm7 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm7(QWidget *parent = nullptr);
};
