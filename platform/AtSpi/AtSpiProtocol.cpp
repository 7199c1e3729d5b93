#include "AtSpi/AtSpiProtocol.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace AtSpi {

QDBusMessage message(const Node& node, const QString& interface, const QString& method,
                     const QList<QVariant>& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(node.service, node.path, interface, method);
    message.setArguments(arguments);
    return message;
}

bool hasState(const QList<QVariant>& reply, int state)
{
    if (reply.isEmpty())
        return false;
    const auto states = qdbus_cast<QList<uint>>(reply.constFirst());
    return state / 32 < states.size() && (states.at(state / 32) & (1u << (state % 32))) != 0;
}

QVariant propertyValue(const QList<QVariant>& reply)
{
    return reply.isEmpty() ? QVariant() : qvariant_cast<QDBusVariant>(reply.constFirst()).variant();
}

QList<Node> nodesIn(const QList<QVariant>& reply)
{
    QList<Node> nodes;
    if (reply.isEmpty())
        return nodes;
    const QDBusArgument list = qvariant_cast<QDBusArgument>(reply.constFirst());
    list.beginArray();
    while (!list.atEnd()) {
        Node node;
        QDBusObjectPath path;
        list.beginStructure();
        list >> node.service >> path;
        list.endStructure();
        node.path = path.path();
        if (!node.service.isEmpty() && node.path != QLatin1String("/org/a11y/atspi/null"))
            nodes << node;
    }
    list.endArray();
    return nodes;
}

}
