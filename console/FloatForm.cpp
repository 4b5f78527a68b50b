#include "console/FloatForm.h"

TForm7::TForm7(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(400, 300);
}
