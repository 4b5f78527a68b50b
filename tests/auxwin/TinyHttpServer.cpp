// SPDX-License-Identifier: GPL-3.0-or-later
#include "TinyHttpServer.h"

#include <QTcpSocket>

TTinyHttpServer::TTinyHttpServer()
{
    FServer.listen(QHostAddress::LocalHost);
    connect(&FServer, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = FServer.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Answer(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QUrl TTinyHttpServer::Url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(FServer.serverPort()).arg(path));
}

void TTinyHttpServer::Answer(QTcpSocket *socket)
{
    if (socket->property("answered").toBool())
        return;
    QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (!request.contains("\r\n\r\n"))
        return;
    socket->setProperty("answered", true);
    const QByteArray path = request.split(' ').value(1);
    FRequests << QString::fromLatin1(path);
    const TResponse response = FRoutes.value(path, TResponse { 404, "text/plain", {} });
    socket->write("HTTP/1.1 " + QByteArray::number(response.Status) + " X\r\nContent-Type: " + response.ContentType
        + "\r\nContent-Length: " + QByteArray::number(response.Body.size()) + "\r\nConnection: close\r\n\r\n");
    socket->write(response.Body);
    socket->disconnectFromHost();
}
