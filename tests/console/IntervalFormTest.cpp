// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/IntervalForm.h"

#include "MessageBoxRecorder.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace
{

void Press(QWidget *target, int key, const QString &text, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

class IntervalFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&Form, &TForm3::IntervalChosen, [this](int ms) { Chosen.push_back(ms); });
        QObject::connect(&Form, &TForm3::Cancelled, [this] { ++Cancels; });
        Form.show();
    }

    TMessageBoxRecorder Boxes;
    TForm3 Form;
    std::vector<int> Chosen;
    int Cancels = 0;
};

TEST_F(IntervalFormTest, StartsWithTenAndTheListOf21To60)
{
    EXPECT_EQ(Form.windowTitle(), QStringLiteral("间隔时间"));
    EXPECT_EQ(Form.ComboBox1->currentText(), QStringLiteral("10"));
    ASSERT_EQ(Form.ComboBox1->count(), 40);
    EXPECT_EQ(Form.ComboBox1->itemText(0), QStringLiteral("21"));
    EXPECT_EQ(Form.ComboBox1->itemText(39), QStringLiteral("60"));
}

TEST_F(IntervalFormTest, OnlyDigitsAndBackspaceCanBeTyped)
{
    QLineEdit *edit = Form.ComboBox1->lineEdit();
    edit->clear();
    Press(edit, Qt::Key_A, QStringLiteral("a"));
    Press(edit, Qt::Key_5, QStringLiteral("5"));
    Press(edit, Qt::Key_Minus, QStringLiteral("-"));
    Press(edit, Qt::Key_Period, QStringLiteral("."));
    Press(edit, Qt::Key_0, QStringLiteral("0"));
    Press(edit, Qt::Key_Space, QStringLiteral(" "));
    EXPECT_EQ(edit->text(), QStringLiteral("50"));
    Press(edit, Qt::Key_Backspace, QStringLiteral("\b"));
    EXPECT_EQ(edit->text(), QStringLiteral("5"));

    QApplication::clipboard()->setText(QStringLiteral("-7"));
    Press(edit, Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier); // the paste shortcut is a typed character
    EXPECT_EQ(edit->text(), QStringLiteral("5"));
    Press(edit, Qt::Key_Insert, QString(), Qt::ShiftModifier); // pasting by other ways is not filtered
    EXPECT_EQ(edit->text(), QStringLiteral("5-7"));
}

TEST_F(IntervalFormTest, OkStartsWithTheIntervalAndHides)
{
    Form.ComboBox1->setEditText(QStringLiteral("10"));
    Form.Button1Click();
    EXPECT_EQ(Chosen, std::vector<int> { 10 });
    EXPECT_FALSE(Form.isVisible());
    EXPECT_TRUE(Boxes.Boxes.empty());
    EXPECT_EQ(Form.ComboBox1->currentText(), QStringLiteral("10")); // kept for the next time
}

TEST_F(IntervalFormTest, ReturnConfirmsAsOkDoesAndAFocusedButtonTakesItsOwnReturn)
{
    struct TCase {
        const char *Name;
        QWidget *Target;
        int Key;
        const char *Text;
        std::vector<int> Chosen;
        int Cancels;
        std::size_t Boxes;
    };
    const TCase cases[] = {
        { "Return in the box", Form.ComboBox1->lineEdit(), Qt::Key_Return, "25", { 25 }, 0, 0 },
        { "keypad Enter in the box", Form.ComboBox1->lineEdit(), Qt::Key_Enter, "30", { 30 }, 0, 0 },
        { "Return on the window", &Form, Qt::Key_Return, "40", { 40 }, 0, 0 },
        { "Return on OK", Form.Button1, Qt::Key_Return, "45", { 45 }, 0, 0 },
        { "Return on Cancel", Form.Button2, Qt::Key_Return, "50", {}, 1, 0 },
        { "Return with a bad number", Form.ComboBox1->lineEdit(), Qt::Key_Return, "", {}, 0, 1 },
    };
    for (const TCase &c : cases) {
        Chosen.clear();
        Cancels = 0;
        Boxes.Boxes.clear();
        Form.show();
        Form.ComboBox1->setEditText(QString::fromLatin1(c.Text));
        Press(c.Target, c.Key, QStringLiteral("\r"), c.Key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(Chosen, c.Chosen) << c.Name;
        EXPECT_EQ(Cancels, c.Cancels) << c.Name;
        EXPECT_EQ(Boxes.Boxes.size(), c.Boxes) << c.Name;
        EXPECT_EQ(Form.isVisible(), c.Boxes > 0) << c.Name;
        EXPECT_EQ(Form.ComboBox1->currentText(), QString::fromLatin1(c.Text)) << c.Name << ": Return typed nothing";
    }
}

TEST_F(IntervalFormTest, ANumberThatDoesNotConvertShowsTheErrorBoxAndTheWindowStays)
{
    for (const char *text : { "", "99999999999" }) {
        Boxes.Boxes.clear();
        Form.ComboBox1->setEditText(QString::fromLatin1(text));
        Form.Button1Click();
        ASSERT_EQ(Boxes.Boxes.size(), 1u) << text;
        EXPECT_EQ(Boxes.Boxes[0],
            (TMessageBoxRequest {
                "'" + std::string(text) + "' is not a valid integer value.", "Kelvara", mbIconStop }));
        EXPECT_TRUE(Form.isVisible());
    }
    EXPECT_TRUE(Chosen.empty());
}

TEST_F(IntervalFormTest, CancelHidesAndSaysSoWhileTheCloseBoxOnlyHides)
{
    Form.Button2Click();
    EXPECT_FALSE(Form.isVisible());
    EXPECT_EQ(Cancels, 1);
    Form.show();
    Form.close();
    EXPECT_FALSE(Form.isVisible());
    EXPECT_EQ(Cancels, 1);
    EXPECT_TRUE(Chosen.empty());
}

TEST(SendTimer, StartsOnlyWithAPositiveInterval)
{
    QTimer timer;
    StartSendTimer(&timer, 10);
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 10);
    StartSendTimer(&timer, 0);
    EXPECT_FALSE(timer.isActive());
    StartSendTimer(&timer, -5);
    EXPECT_FALSE(timer.isActive());
}

} // namespace

namespace
{

double Luminance(QColor colour)
{
    auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double Contrast(QColor a, QColor b)
{
    double la = Luminance(a);
    double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

TEST_F(IntervalFormTest, LabelsReadOnTheWindowFace)
{
    // As drawn: the strongest ink of each label against the face around it, at least the 4.5 : 1 of readable text.
    const QImage image = Form.grab().toImage();
    for (QLabel *label : { Form.Label1, Form.Label2 }) {
        SCOPED_TRACE(label->text().toStdString());
        const QRect area = label->geometry();
        const QColor face = image.pixelColor(area.topLeft());
        double strongest = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                strongest = std::max(strongest, Contrast(image.pixelColor(x, y), face));
        EXPECT_GE(strongest, 4.5);
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(206, 214, 235));
    }
}
