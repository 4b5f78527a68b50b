#include "auxwin/HelpForm.h"

TForm5::TForm5(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(300, 200);
}
