#include "console/IntervalForm.h"

TForm3::TForm3(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(250, 120);
}
