#include "settings/PortSettingsForm.h"

TForm1::TForm1(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(300, 250);
}
