#include "auxwin/CompanionForm.h"

TForm4::TForm4(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(867, 101);
}
