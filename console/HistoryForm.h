#pragma once

#include <QWidget>

// The send history window.
class TForm2 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
};
