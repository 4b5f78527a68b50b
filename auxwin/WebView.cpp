// SPDX-License-Identifier: GPL-3.0-or-later
#include "auxwin/WebView.h"

#include "auxwin/PageDecoding.h"

#include <QDesktopServices>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextFrameFormat>

namespace
{

// A stalled server must not leave the view loading for ever.
constexpr int TransferTimeoutMs = 30000;

const char TooLargeProperty[] = "kelvaraTooLarge";

bool IsWebScheme(const QUrl &url)
{
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

} // namespace

TWebView::TWebView(QWidget *parent)
    : QTextBrowser(parent)
    , FNetwork(new QNetworkAccessManager(this))
{
    setFrameShape(QFrame::NoFrame);
    setUndoRedoEnabled(false);
    // Links leave the view for the user's browser: the page shown here stays the one it was given.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &TWebView::LinkClicked);
}

void TWebView::Navigate(const QUrl &address)
{
    if (FPageReply) {
        QNetworkReply *old = FPageReply;
        FPageReply = nullptr;
        old->abort();
    }
    FAddress = address;
    FPageReply = Fetch(address);
    QNetworkReply *reply = FPageReply;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { PageFetched(reply); });
}

bool TWebView::IsLoading() const
{
    return !FPageReply.isNull();
}

QNetworkReply *TWebView::Fetch(const QUrl &url)
{
    QNetworkRequest request(url);
    request.setTransferTimeout(TransferTimeoutMs);
    QNetworkReply *reply = FNetwork->get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
        if (received > MaxResourceBytes || total > MaxResourceBytes) {
            reply->setProperty(TooLargeProperty, true);
            reply->abort();
        }
    });
    return reply;
}

void TWebView::PageFetched(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != FPageReply)
        return; // abandoned by a later Navigate
    FPageReply = nullptr;

    if (reply->property(TooLargeProperty).toBool()) {
        ShowError(QStringLiteral("网页太大，超过 %1 MB。").arg(MaxResourceBytes / (1024 * 1024)));
        emit LoadFinished(false);
        return;
    }
    const QByteArray body = reply->readAll();
    // A server's own error page (404 and the like) is shown as it comes, as browsers do.
    const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (reply->error() != QNetworkReply::NoError && !(answered && !body.isEmpty())) {
        ShowError(reply->errorString());
        emit LoadFinished(false);
        return;
    }
    document()->setBaseUrl(reply->url()); // after redirects
    FResources.clear();
    FPageHtml = DecodePage(body, reply->header(QNetworkRequest::ContentTypeHeader).toByteArray());
    ShowPage(FPageHtml);
    emit LoadFinished(reply->error() == QNetworkReply::NoError);
}

void TWebView::ShowPage(const QString &html)
{
    const int scroll = verticalScrollBar()->value();
    setHtml(html);
    verticalScrollBar()->setValue(scroll);
}

void TWebView::ShowError(const QString &reason)
{
    FPageHtml.clear();
    FResources.clear();
    setHtml(QStringLiteral("<p align=\"center\" style=\"margin:0\"><b>无法显示此网页</b><br>%1<br>%2</p>")
                .arg(FAddress.toDisplayString().toHtmlEscaped(), reason.toHtmlEscaped()));
    // Stand the text in the middle of the view, where a window that shows only part of the view still shows it.
    document()->setTextWidth(viewport()->width());
    const qreal spare = viewport()->height() - document()->size().height();
    if (spare > 0) {
        QTextFrameFormat format = document()->rootFrame()->frameFormat();
        format.setTopMargin(format.topMargin() + spare / 2);
        document()->rootFrame()->setFrameFormat(format);
    }
}

QVariant TWebView::loadResource(int type, const QUrl &name)
{
    const QUrl url = document()->baseUrl().resolved(name);
    if (url.scheme() == QLatin1String("data"))
        return {}; // the document decodes data addresses itself
    // A page from the web reads nothing from this machine's files.
    if (!IsWebScheme(url) || FPageHtml.isEmpty())
        return QByteArray();
    if (type != QTextDocument::ImageResource && type != QTextDocument::StyleSheetResource)
        return QByteArray();
    const auto found = FResources.constFind(url);
    if (found != FResources.constEnd())
        return *found;
    FResources.insert(url, QVariant());
    QNetworkReply *reply = Fetch(url);
    connect(reply, &QNetworkReply::finished, this, [this, reply, type] { ResourceFetched(reply, type); });
    return {}; // shown once it arrives
}

void TWebView::ResourceFetched(QNetworkReply *reply, int type)
{
    reply->deleteLater();
    const QUrl url = reply->request().url();
    if (!FResources.contains(url) || reply->error() != QNetworkReply::NoError)
        return; // a resource of an earlier page, or one that could not be fetched: the page shows without it
    const QByteArray body = reply->readAll();
    if (type == QTextDocument::ImageResource) {
        QImage image;
        if (!image.loadFromData(body))
            return;
        FResources.insert(url, image);
        document()->markContentsDirty(0, document()->characterCount());
    } else {
        FResources.insert(url, DecodePage(body, reply->header(QNetworkRequest::ContentTypeHeader).toByteArray()));
        ShowPage(FPageHtml); // style sheets apply while the page is read
    }
}

void TWebView::LinkClicked(const QUrl &link)
{
    const QUrl url = document()->baseUrl().resolved(link);
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) {
        scrollToAnchor(link.fragment());
        return;
    }
    if (IsWebScheme(url) || url.scheme() == QLatin1String("mailto"))
        QDesktopServices::openUrl(url);
}
