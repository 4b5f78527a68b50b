#include "console/HistoryForm.h"

TForm2::TForm2(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(300, 300);
}
