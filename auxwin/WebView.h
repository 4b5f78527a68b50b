// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// A light web view: fetches one page over HTTP(S) and shows it as rich text (HTML, CSS colours, tables, Chinese
// text), with its images and style sheets fetched alongside. It runs no scripts. When the page cannot be fetched
// the view shows its own error text in its middle; nothing else in the program hears of it.
class TWebView : public QTextBrowser
{
    Q_OBJECT
public:
    // Largest page, image or style sheet the view takes; a bigger one is cut off as an error.
    static constexpr qint64 MaxResourceBytes = 4 * 1024 * 1024;

    explicit TWebView(QWidget *parent = nullptr);

    // Starts fetching the page; a fetch still running is abandoned. The old contents stay until the page arrives.
    void Navigate(const QUrl &address);
    QUrl Address() const { return FAddress; }
    bool IsLoading() const;

signals:
    // The page has been fetched and shown (true), or the error text is shown (false).
    void LoadFinished(bool ok);

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    QNetworkReply *Fetch(const QUrl &url);
    void PageFetched(QNetworkReply *reply);
    void ResourceFetched(QNetworkReply *reply, int type);
    void ShowPage(const QString &html);
    void ShowError(const QString &reason);
    void LinkClicked(const QUrl &link);

    QNetworkAccessManager *FNetwork;
    QUrl FAddress;
    QPointer<QNetworkReply> FPageReply;
    QString FPageHtml;
    // Images and style sheets of the page being shown, by address; each is fetched once. A pending or failed one
    // holds an invalid value.
    QHash<QUrl, QVariant> FResources;
};
