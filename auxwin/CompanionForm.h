#pragma once

#include <QWidget>

// The companion web strip docked under the main window.
class TForm4 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);
};
