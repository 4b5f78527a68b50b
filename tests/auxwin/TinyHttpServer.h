// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QStringList>
#include <QTcpServer>
#include <QUrl>

// A one-thread HTTP/1.1 server on 127.0.0.1 for tests: answers GET requests from a table of paths, one request per
// connection, and records the paths asked for.
class TTinyHttpServer : public QObject
{
public:
    struct TResponse {
        int Status = 200;
        QByteArray ContentType = "text/html";
        QByteArray Body;
    };

    TTinyHttpServer();

    void Route(const QByteArray &path, TResponse response) { FRoutes.insert(path, std::move(response)); }
    QUrl Url(const QString &path) const;
    const QStringList &Requests() const { return FRequests; }

private:
    void Answer(QTcpSocket *socket);

    QTcpServer FServer;
    QHash<QByteArray, TResponse> FRoutes;
    QStringList FRequests;
};
