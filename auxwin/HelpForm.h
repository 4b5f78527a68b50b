#pragma once

#include <QWidget>

// The help information window.
class TForm5 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);
};
