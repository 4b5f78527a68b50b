// SPDX-License-Identifier: GPL-3.0-or-later
#include "auxwin/CompanionForm.h"

#include "auxwin/ProgramInfo.h"
#include "auxwin/WebView.h"
#include "core/MessageBox.h"
#include "tests/support/WaitUntil.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCoreApplication>
#include <QFrame>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTcpServer>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace
{

using namespace std::chrono_literals;

// Records the events that reach a widget past the application-wide filters.
class TEventSpy : public QObject
{
public:
    explicit TEventSpy(QObject *target) { target->installEventFilter(this); }
    std::vector<QEvent::Type> Seen;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        Seen.push_back(event->type());
        return false;
    }
};

TEST(CompanionForm, PageIsSeenThroughTheClippedCutOut)
{
    TForm4 form;
    EXPECT_EQ(form.size(), QSize(867, 101));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    form.show();
    // Of the 948 x 176 page only the part from 64 to 925 across and 53 to 151 down shows, at (3, 1) of the strip.
    EXPECT_EQ(form.WebBrowser1->viewport()->visibleRegion(), QRegion(64, 53, 861, 98));
    EXPECT_EQ(form.WebBrowser1->mapTo(&form, QPoint(64, 53)), QPoint(3, 1));
}

class CompanionFormPage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FPrevious = SetMessageBoxHandler([this](const TMessageBoxRequest &request) {
            FBoxes.push_back(request.Text);
            return int(idOk);
        });
    }
    void TearDown() override { SetMessageBoxHandler(FPrevious); }

    std::vector<std::string> FBoxes;
    TMessageBoxHandler FPrevious;
};

TEST_F(CompanionFormPage, NavigatesOnceAtCreationAndAFailureStaysInTheView)
{
    TForm4 form;
    EXPECT_EQ(form.WebBrowser1->Address(), QUrl(QString::fromUtf8(ProgramSoftPage)));
    EXPECT_TRUE(form.WebBrowser1->Address().path().endsWith(QStringLiteral("/soft.html")));
    bool ok = true;
    QObject::connect(form.WebBrowser1, &TWebView::LoadFinished, &form, [&](bool loaded) { ok = loaded; });
    ASSERT_TRUE(WaitUntil([&] { return !form.WebBrowser1->IsLoading(); }, 60000ms));
    if (ok)
        GTEST_SKIP() << "this machine reached the web site";
    EXPECT_TRUE(form.WebBrowser1->toPlainText().contains(QString::fromUtf8(ProgramSoftPage)));
    EXPECT_TRUE(FBoxes.empty());
    EXPECT_FALSE(form.isVisible());
}

TEST_F(CompanionFormPage, ErrorTextStandsInTheVisibleCutOut)
{
    QTcpServer closed; // nothing listens on its port once closed: the connection is refused
    closed.listen(QHostAddress::LocalHost);
    const QUrl address(QStringLiteral("http://127.0.0.1:%1/soft.html").arg(closed.serverPort()));
    closed.close();

    TForm4 form;
    form.show();
    form.WebBrowser1->Navigate(address);
    ASSERT_TRUE(WaitUntil([&] { return form.WebBrowser1->toPlainText().contains(address.toString()); }));
    const QTextBlock text = form.WebBrowser1->document()->firstBlock();
    const QRectF rows = form.WebBrowser1->document()->documentLayout()->blockBoundingRect(text);
    EXPECT_GE(rows.top(), 53);
    EXPECT_LE(rows.bottom(), 53 + 98);
    EXPECT_TRUE(FBoxes.empty());
}

TEST(CompanionForm, FollowsTheBottomLeftCornerOfTheFollowedWindowShownOrNot)
{
    QWidget main;
    main.setGeometry(100, 120, 400, 300);
    main.show();
    TForm4 form;
    form.SetFollowedWindow(&main);
    form.show();
    EXPECT_EQ(form.pos(), main.frameGeometry().bottomLeft() + QPoint(0, 1)); // placed on showing

    main.move(250, 40);
    EXPECT_TRUE(WaitUntil([&] { return form.pos() == main.frameGeometry().bottomLeft() + QPoint(0, 1); }));
    EXPECT_EQ(form.size(), QSize(867, 101));

    form.hide();
    main.move(10, 20);
    EXPECT_TRUE(WaitUntil([&] { return form.pos() == main.frameGeometry().bottomLeft() + QPoint(0, 1); }));
}

TEST(CompanionForm, RightButtonOnThePageOpensTheStripsMenuOnly)
{
    QWidget other;
    QWidget otherChild(&other);
    TForm4 form;
    form.show();
    other.show();
    QWidget *viewport = form.WebBrowser1->viewport();
    QWidget *scrollBar = form.WebBrowser1->verticalScrollBar();

    struct TCase {
        const char *Name;
        QWidget *Target;
        QEvent::Type Type;
        Qt::MouseButton Button;
        bool Swallowed;
    };
    const TCase cases[] = {
        { "PressOnPage", viewport, QEvent::MouseButtonPress, Qt::RightButton, true },
        { "ReleaseOnPage", viewport, QEvent::MouseButtonRelease, Qt::RightButton, true },
        { "DoubleClickOnPage", viewport, QEvent::MouseButtonDblClick, Qt::RightButton, true },
        { "PressOnViewItself", form.WebBrowser1, QEvent::MouseButtonPress, Qt::RightButton, true },
        { "PressOnViewsScrollBar", scrollBar, QEvent::MouseButtonPress, Qt::RightButton, true },
        { "LeftPressOnPage", viewport, QEvent::MouseButtonPress, Qt::LeftButton, false },
        { "LeftDoubleClickOnPage", viewport, QEvent::MouseButtonDblClick, Qt::LeftButton, false },
        { "PressOnStripsFrame", form.Panel2, QEvent::MouseButtonPress, Qt::RightButton, false },
        { "PressOnOtherWindow", &otherChild, QEvent::MouseButtonPress, Qt::RightButton, false },
        { "ReleaseOnOtherWindow", &other, QEvent::MouseButtonRelease, Qt::RightButton, false },
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        form.PopupMenu1->hide();
        TEventSpy spy(c.Target);
        const QPointF at(5, 5);
        QMouseEvent event(c.Type, at, c.Target->mapToGlobal(at), c.Button,
            c.Type == QEvent::MouseButtonRelease ? Qt::NoButton : c.Button, Qt::NoModifier);
        QApplication::sendEvent(c.Target, &event);
        const bool delivered = std::find(spy.Seen.begin(), spy.Seen.end(), c.Type) != spy.Seen.end();
        EXPECT_EQ(delivered, !c.Swallowed);
        EXPECT_EQ(form.PopupMenu1->isVisible(), c.Swallowed);
    }
    form.PopupMenu1->hide();

    // The context menu Qt asks for after a right press: the page's own never opens; the keyboard's still does, and
    // other windows keep theirs.
    for (const auto &[target, reason, swallowed] : { std::tuple { viewport, QContextMenuEvent::Mouse, true },
             std::tuple { viewport, QContextMenuEvent::Keyboard, false },
             std::tuple { static_cast<QWidget *>(&otherChild), QContextMenuEvent::Mouse, false } }) {
        TEventSpy spy(target);
        QContextMenuEvent event(reason, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(target, &event);
        EXPECT_EQ(spy.Seen.empty(), swallowed);
    }
}

TEST(CompanionForm, TransparencyMenu)
{
    TForm4 form;
    form.show();
    EXPECT_EQ(form.PopupMenu1->actions().size(), 1);
    EXPECT_EQ(form.TransparencyMenu->title(), QStringLiteral("调节透明"));
    EXPECT_FALSE(form.Transparency().Enabled());
    EXPECT_EQ(form.Transparency().Alpha(), 255);

    struct TStep {
        QAction *Item;
        const char *Text;
        bool Enabled;
        int Alpha;
    };
    const TStep steps[] = {
        { form.N01, "30%", true, 60 },
        { form.N1001, "100%", false, 60 }, // the alpha stays for the next time
        { form.N01, "30%", true, 60 },
        { form.N101, "50%", true, 100 },
        { form.N1001, "100%", false, 100 },
    };
    for (const TStep &step : steps) {
        SCOPED_TRACE(step.Text);
        EXPECT_EQ(step.Item->text(), QString::fromUtf8(step.Text));
        step.Item->trigger();
        EXPECT_EQ(form.Transparency().Enabled(), step.Enabled);
        EXPECT_EQ(form.Transparency().Alpha(), step.Alpha);
        EXPECT_DOUBLE_EQ(form.windowOpacity(), step.Enabled ? step.Alpha / 255.0 : 1.0);
    }
}

TEST(WindowTransparency, EachChangeIsAppliedOnceAndInOrder)
{
    std::vector<int> applied; // -1 stands for opaque without transparency
    TWindowTransparency transparency([&](std::optional<int> alpha) { applied.push_back(alpha.value_or(-1)); });
    const auto choose = [&](bool enabled, std::optional<int> alpha) {
        transparency.SetEnabled(enabled);
        if (alpha)
            transparency.SetAlpha(*alpha);
    };

    choose(true, 60); // "30%": on with the alpha still at 255, then 60
    EXPECT_EQ(applied, (std::vector<int> { 255, 60 }));
    choose(true, 100); // "50%" after "30%": straight from 60 to 100, never opaque between
    EXPECT_EQ(applied, (std::vector<int> { 255, 60, 100 }));
    choose(false, std::nullopt); // "100%"
    choose(false, std::nullopt); // again: nothing changes
    EXPECT_EQ(applied, (std::vector<int> { 255, 60, 100, -1 }));
    transparency.SetAlpha(60); // stored while off, not shown
    choose(true, 60);
    EXPECT_EQ(applied, (std::vector<int> { 255, 60, 100, -1, 60 }));
    transparency.SetAlpha(300);
    transparency.SetAlpha(-5);
    EXPECT_EQ(applied, (std::vector<int> { 255, 60, 100, -1, 60, 255, 0 }));
}

} // namespace
