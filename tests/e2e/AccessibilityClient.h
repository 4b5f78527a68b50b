// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A client of the accessibility bus for the desktop tests: reads what a screen reader reads of the program (the
// window tree, each node's role and name), with a time limit on every call.
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QStringList>
#include <algorithm>
#include <optional>

inline const QString AccessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
inline const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// An object on the accessibility bus: the application's bus name and the object's path.
struct TNode {
    QString Service;
    QString Path;
};

inline QList<TNode> NodesOf(const QDBusMessage &reply)
{
    QList<TNode> nodes;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return nodes;
    const QDBusArgument array = reply.arguments().first().value<QDBusArgument>();
    array.beginArray();
    while (!array.atEnd()) {
        TNode node;
        QDBusObjectPath path;
        array.beginStructure();
        array >> node.Service >> path;
        array.endStructure();
        node.Path = path.path();
        nodes.push_back(node);
    }
    array.endArray();
    return nodes;
}

inline TNode NodeOf(const QDBusMessage &reply)
{
    TNode node;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return node;
    const QDBusArgument structure = reply.arguments().first().value<QDBusArgument>();
    QDBusObjectPath path;
    structure.beginStructure();
    structure >> node.Service >> path;
    structure.endStructure();
    node.Path = path.path();
    return node;
}

// A client of the accessibility bus, with a time limit on every call.
class TAccessibilityClient
{
public:
    bool Connect()
    {
        QDBusMessage ask = QDBusMessage::createMethodCall(
            "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", QStringLiteral("GetAddress"));
        QDBusReply<QString> address = QDBusConnection::sessionBus().call(ask, QDBus::Block, 10'000);
        if (!address.isValid())
            return false;
        FBus = QDBusConnection::connectToBus(address.value(), QStringLiteral("kelvara-a11y-client"));
        return FBus.isConnected();
    }

    QDBusMessage Call(const TNode &node, const QString &interface, const QString &method,
        const QVariantList &arguments = {}, int timeoutMs = 30'000)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(node.Service, node.Path, interface, method);
        call.setArguments(arguments);
        return FBus.call(call, QDBus::Block, timeoutMs);
    }

    QList<TNode> Children(const TNode &node, QString &error)
    {
        QDBusMessage reply = Call(node, AccessibleInterface, QStringLiteral("GetChildren"));
        if (reply.type() != QDBusMessage::ReplyMessage)
            error = reply.errorName() + ": " + reply.errorMessage();
        return NodesOf(reply);
    }
    QString Name(const TNode &node)
    {
        QDBusMessage reply = Call(node, PropertiesInterface, QStringLiteral("Get"), { AccessibleInterface, "Name" });
        return reply.arguments().isEmpty() ? QString()
                                           : reply.arguments().first().value<QDBusVariant>().variant().toString();
    }
    QString Role(const TNode &node)
    {
        QDBusReply<QString> role = Call(node, AccessibleInterface, QStringLiteral("GetRoleName"));
        return role.isValid() ? role.value() : QString();
    }
    QList<TNode> Applications(QString &error)
    {
        return Children({ "org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root" }, error);
    }

private:
    QDBusConnection FBus { QStringLiteral("none") };
};

// What a walk of a tree found: the nodes reached (at most the budget), the first call that failed, and the first node
// with the role and name looked for (any name when it is null).
struct TWalk {
    int Reached = 0;
    QString Error;
    std::optional<TNode> Found;
};

inline void Walk(
    TAccessibilityClient &client, const TNode &node, int budget, const QString &role, const QString &name, TWalk &walk)
{
    if (walk.Reached >= budget || !walk.Error.isEmpty())
        return;
    ++walk.Reached;
    const QList<TNode> children = client.Children(node, walk.Error);
    if (!walk.Found && !role.isEmpty() && client.Role(node) == role && (name.isNull() || client.Name(node) == name))
        walk.Found = node;
    for (const TNode &child : children)
        Walk(client, child, budget, role, name, walk);
}

// The labels under a node, in the order of a walk (a window's own order), with their texts.
inline void CollectLabels(TAccessibilityClient &client, const TNode &node, QStringList &labels, int budget = 5000)
{
    if (budget <= 0)
        return;
    QString error;
    const QList<TNode> children = client.Children(node, error);
    if (client.Role(node) == QStringLiteral("label"))
        labels << client.Name(node);
    for (const TNode &child : children)
        CollectLabels(client, child, labels, budget / std::max<int>(1, int(children.size())));
}
