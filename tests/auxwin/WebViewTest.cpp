// SPDX-License-Identifier: GPL-3.0-or-later
#include "auxwin/WebView.h"

#include "TinyHttpServer.h"
#include "core/MessageBox.h"
#include "tests/support/WaitUntil.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace
{

using namespace std::chrono_literals;

QByteArray PngBytes(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class WebViewTest : public ::testing::Test
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

    // Navigates and waits for the outcome; returns whether the page came.
    bool Load(const QUrl &address)
    {
        std::vector<bool> outcomes;
        QObject::connect(&FView, &TWebView::LoadFinished, &FView, [&](bool ok) { outcomes.push_back(ok); });
        FView.Navigate(address);
        EXPECT_TRUE(WaitUntil([&] { return !outcomes.empty(); }));
        QObject::disconnect(&FView, &TWebView::LoadFinished, nullptr, nullptr);
        return !outcomes.empty() && outcomes.front();
    }

    TTinyHttpServer FServer;
    TWebView FView;
    std::vector<std::string> FBoxes;
    TMessageBoxHandler FPrevious;
};

TEST_F(WebViewTest, ShowsAGbkPageWithItsImageAndStyleSheet)
{
    // GBK bytes of "串口调试", declared only in the page itself.
    FServer.Route("/soft.html",
        { 200, "text/html",
            "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
            "<link rel=\"stylesheet\" type=\"text/css\" href=\"css/site.css\"></head><body>"
            "<p class=\"note\">\xb4\xae\xbf\xda\xb5\xf7\xca\xd4</p><img src=\"img/logo.png\"></body></html>" });
    FServer.Route("/img/logo.png", { 200, "image/png", PngBytes(QSize(40, 20), Qt::red) });
    FServer.Route("/css/site.css", { 200, "text/css", ".note { color: #00ff00; }" });

    ASSERT_TRUE(Load(FServer.Url("/soft.html")));
    EXPECT_TRUE(FView.toPlainText().contains(QStringLiteral("串口调试")));

    const QUrl logo = FServer.Url("/img/logo.png");
    ASSERT_TRUE(WaitUntil([&] { return !FView.document()->resource(QTextDocument::ImageResource, logo).isNull(); }));
    EXPECT_EQ(FView.document()->resource(QTextDocument::ImageResource, logo).value<QImage>().size(), QSize(40, 20));

    // The style sheet arrives after the page and is applied to it.
    ASSERT_TRUE(WaitUntil([&] {
        QTextCursor cursor(FView.document());
        cursor.movePosition(QTextCursor::NextCharacter);
        return cursor.charFormat().foreground().color() == QColor(0, 255, 0);
    }));
    EXPECT_EQ(FServer.Requests().count(QStringLiteral("/img/logo.png")), 1);
    EXPECT_TRUE(FBoxes.empty());
}

TEST_F(WebViewTest, UnreachablePageShowsTheViewsOwnErrorTextAndNothingElse)
{
    // A port on which nothing listens: the connection is refused.
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const QUrl address(QStringLiteral("http://127.0.0.1:%1/soft.html").arg(closed.serverPort()));
    closed.close();

    EXPECT_FALSE(Load(address));
    const QString text = FView.toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("无法显示此网页"))) << text.toStdString();
    EXPECT_TRUE(text.contains(address.toString()));
    EXPECT_FALSE(FView.IsLoading());
    EXPECT_TRUE(FBoxes.empty());
}

TEST_F(WebViewTest, ServerErrorPageIsShownAsTheServerSentIt)
{
    FServer.Route("/gone.html", { 404, "text/html; charset=utf-8", "<p>页面不存在</p>" });
    EXPECT_FALSE(Load(FServer.Url("/gone.html")));
    EXPECT_EQ(FView.toPlainText(), QStringLiteral("页面不存在"));
}

TEST_F(WebViewTest, OversizedPageIsCutOffWithAnError)
{
    FServer.Route("/huge.html", { 200, "text/html", QByteArray(TWebView::MaxResourceBytes + 1024, 'a') });
    EXPECT_FALSE(Load(FServer.Url("/huge.html")));
    EXPECT_TRUE(FView.toPlainText().contains(QStringLiteral("网页太大")));
}

TEST_F(WebViewTest, PageFromTheWebReadsNoLocalFiles)
{
    QTemporaryDir dir;
    const QString local = dir.filePath(QStringLiteral("secret.png"));
    ASSERT_TRUE(QImage::fromData(PngBytes(QSize(8, 8), Qt::blue)).save(local));
    const QUrl localUrl = QUrl::fromLocalFile(local);
    FServer.Route("/soft.html", { 200, "text/html", "<p>x</p><img src=\"" + localUrl.toEncoded() + "\">" });

    ASSERT_TRUE(Load(FServer.Url("/soft.html")));
    FView.grab(); // lays the page out, which asks for its images
    EXPECT_TRUE(FView.document()->resource(QTextDocument::ImageResource, localUrl).value<QImage>().isNull());
}

TEST_F(WebViewTest, LaterNavigationWins)
{
    FServer.Route("/a.html", { 200, "text/html", "<p>first</p>" });
    FServer.Route("/b.html", { 200, "text/html", "<p>second</p>" });
    int finished = 0;
    QObject::connect(&FView, &TWebView::LoadFinished, &FView, [&] { ++finished; });
    FView.Navigate(FServer.Url("/a.html"));
    FView.Navigate(FServer.Url("/b.html"));
    ASSERT_TRUE(WaitUntil([&] { return finished > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(FView.toPlainText(), QStringLiteral("second"));
    EXPECT_EQ(FView.Address(), FServer.Url("/b.html"));
}

} // namespace
