#pragma once

#include <QWidget>

// The port settings window.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
};
