#include "auxwin/UpgradeForm.h"

TForm6::TForm6(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(300, 200);
}
