// SPDX-License-Identifier: GPL-3.0-or-later
#include "auxwin/HelpForm.h"
#include "auxwin/ProgramInfo.h"
#include "auxwin/UpgradeForm.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

namespace
{

struct TWindowCase {
    const char *Name;
    std::function<std::unique_ptr<TInfoWindow>()> Make;
    QString Caption;
    QSize ClientSize;
    bool StaysOnTop;
    QStringList Lines;
};

std::vector<TWindowCase> WindowCases()
{
    const QString web = QString::fromUtf8(ProgramWebSite);
    const QString mail = QString::fromUtf8(ProgramEmail);
    return {
        { "Help", [] { return std::make_unique<TForm5>(); }, QStringLiteral("在线帮助"), QSize(253, 170), true,
            { QStringLiteral("软件作者：") + QString::fromUtf8(ProgramAuthor), QString(),
                QStringLiteral("作者邮箱：") + mail, QString(), QStringLiteral("软件网站：") + web } },
        { "Upgrade", [] { return std::make_unique<TForm6>(); }, QStringLiteral("在线升级"), QSize(297, 179), false,
            { QStringLiteral(
                  "如果你需要增加软件的功能或者修改软件的一些功能的话，请发送邮件给作者，作者会根据您的要求进"
                  "行相应的增加或者修改软件功能。"),
                QStringLiteral("请您留下正确的联系方式，以便软件升级好后能及时的发送给您。"), QString(),
                QStringLiteral("官方网站：") + web + ' ', QStringLiteral("邮      箱：") + mail } },
    };
}

TEST(InfoWindows, ShowTheirTextWhole)
{
    for (const TWindowCase &c : WindowCases()) {
        SCOPED_TRACE(c.Name);
        const std::unique_ptr<TInfoWindow> window = c.Make();
        EXPECT_EQ(window->windowTitle(), c.Caption);
        EXPECT_EQ(window->size(), c.ClientSize);
        EXPECT_EQ(window->minimumSize(), window->maximumSize());
        EXPECT_EQ(bool(window->windowFlags() & Qt::WindowStaysOnTopHint), c.StaysOnTop);
        EXPECT_EQ(window->Label1->text().split('\n'), c.Lines);

        // The whole text fits inside the label, and the label inside the window above the button.
        QLabel *label = window->Label1;
        const QRect needed = label->fontMetrics().boundingRect(
            label->contentsRect(), int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0), label->text());
        EXPECT_TRUE(label->contentsRect().contains(needed)) << needed.width() << "x" << needed.height();
        const QRect text(label->mapTo(window.get(), QPoint(0, 0)), label->size());
        EXPECT_TRUE(window->rect().contains(text));
        EXPECT_LT(text.bottom(), window->BitBtn1->y());

        // "关 闭", 70 x 29, centred below the text and inside the window.
        EXPECT_EQ(window->BitBtn1->text(), QStringLiteral("关 闭"));
        EXPECT_EQ(window->BitBtn1->size(), QSize(70, 29));
        EXPECT_LE(std::abs(window->BitBtn1->geometry().center().x() - window->rect().center().x()), 1);
        EXPECT_TRUE(window->rect().contains(window->BitBtn1->geometry()));
    }
}

TEST(InfoWindows, ButtonAndCloseBoxOnlyHide)
{
    for (const TWindowCase &c : WindowCases()) {
        SCOPED_TRACE(c.Name);
        const std::unique_ptr<TInfoWindow> window = c.Make();
        window->Show();
        EXPECT_TRUE(window->isVisible());
        window->BitBtn1->click();
        EXPECT_FALSE(window->isVisible());

        window->Show();
        const QString before = window->Label1->text();
        EXPECT_TRUE(window->close());
        EXPECT_FALSE(window->isVisible());
        EXPECT_FALSE(window->testAttribute(Qt::WA_DeleteOnClose));
        EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));
        window->Show(); // shown again with its contents
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->Label1->text(), before);
    }
}

} // namespace
