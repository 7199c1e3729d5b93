#include "SlowAccessibility.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QLineEdit>
#include <QTextEdit>
#include <QTimer>

namespace {
const QString prefix = QStringLiteral("/org/a11y/atspi/accessible");
const QString rootPath = prefix + QStringLiteral("/root");
const QString fieldPath = prefix + QStringLiteral("/field");

// The interface's numbers: roles application, text and password text; states.
constexpr uint roleApplication = 75;
constexpr uint roleText = 61;
constexpr uint rolePasswordText = 40;
constexpr uint stateEditable = 7, stateEnabled = 8, stateFocusable = 11, stateFocused = 12, stateSensitive = 24,
               stateShowing = 25, stateVisible = 30;

struct ObjectReference {
    QString service;
    QDBusObjectPath path;
};

QDBusArgument& operator<<(QDBusArgument& argument, const ObjectReference& reference)
{
    argument.beginStructure();
    argument << reference.service << reference.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ObjectReference& reference)
{
    argument.beginStructure();
    argument >> reference.service >> reference.path;
    argument.endStructure();
    return argument;
}
}

Q_DECLARE_METATYPE(ObjectReference)

SlowAccessibility::SlowAccessibility(QWidget& field, bool password, int delayMs)
    : field_(field), password_(password), delayMs_(delayMs)
{
    qDBusRegisterMetaType<ObjectReference>();
    qDBusRegisterMetaType<QList<ObjectReference>>();
    QObject::connect(&direct_, &QDBusServer::newConnection, [this](const QDBusConnection& connection) {
        QDBusConnection(connection).registerVirtualObject(prefix, this, QDBusConnection::SubPath);
    });
}

bool SlowAccessibility::publish(const QString& busAddress)
{
    QDBusConnection bus = QDBusConnection::connectToBus(busAddress, QStringLiteral("a11y"));
    if (!bus.isConnected() || !bus.registerVirtualObject(prefix, this, QDBusConnection::SubPath))
        return false;
    busName_ = bus.baseService();
    QDBusMessage embed =
        QDBusMessage::createMethodCall(QStringLiteral("org.a11y.atspi.Registry"), rootPath,
                                       QStringLiteral("org.a11y.atspi.Socket"), QStringLiteral("Embed"));
    embed << QVariant::fromValue(ObjectReference{bus.baseService(), QDBusObjectPath(rootPath)});
    return bus.call(embed).type() == QDBusMessage::ReplyMessage;
}

QString SlowAccessibility::introspect(const QString&) const
{
    return {};
}

QString SlowAccessibility::text() const
{
    if (const auto* line = qobject_cast<const QLineEdit*>(&field_))
        return line->text();
    return static_cast<const QTextEdit&>(field_).toPlainText();
}

int SlowAccessibility::caret() const
{
    if (const auto* line = qobject_cast<const QLineEdit*>(&field_))
        return line->cursorPosition();
    return static_cast<const QTextEdit&>(field_).textCursor().position();
}

bool SlowAccessibility::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    message.setDelayedReply(true);
    if (delayMs_ < 0)
        return true;
    // Answered as it is when asked, sent when the delay is over.
    const QDBusMessage reply = answer(message);
    QTimer::singleShot(delayMs_, [connection, reply] { QDBusConnection(connection).send(reply); });
    return true;
}

QDBusMessage SlowAccessibility::answer(const QDBusMessage& message)
{
    const bool root = message.path() == rootPath;
    const QString member = message.member();
    const QList<QVariant> arguments = message.arguments();
    const auto argument = [&](int index) { return arguments.value(index).toInt(); };
    const auto reply = [&](const QVariant& value) { return message.createReply(value); };

    if (member == QLatin1String("Get") && arguments.size() == 2) {
        const QString name = arguments.at(1).toString();
        QVariant value;
        if (name == QLatin1String("ChildCount"))
            value = root ? 1 : 0;
        else if (name == QLatin1String("ToolkitName"))
            value = QStringLiteral("GTK");
        else if (name == QLatin1String("CaretOffset"))
            value = caret();
        else if (name == QLatin1String("CharacterCount"))
            value = int(text().size());
        else if (name == QLatin1String("Name") || name == QLatin1String("Description"))
            value = QString();
        if (value.isValid())
            return reply(QVariant::fromValue(QDBusVariant(value)));
    } else if (member == QLatin1String("GetApplicationBusAddress")) {
        return reply(direct_.address());
    } else if (member == QLatin1String("GetState")) {
        QList<uint> words{0, 0};
        QList<uint> states;
        if (!root)
            states = {stateEditable, stateEnabled, stateFocusable, stateSensitive, stateShowing, stateVisible};
        if (!root && field_.isActiveWindow() && field_.hasFocus())
            states << stateFocused;
        for (const uint state : std::as_const(states))
            words[int(state / 32)] |= 1u << (state % 32);
        return reply(QVariant::fromValue(words));
    } else if (member == QLatin1String("GetRole")) {
        return reply(root ? roleApplication : password_ ? rolePasswordText : roleText);
    } else if (member == QLatin1String("GetChildAtIndex") && root && argument(0) == 0) {
        return reply(QVariant::fromValue(ObjectReference{busName_, QDBusObjectPath(fieldPath)}));
    } else if (member == QLatin1String("GetChildren")) {
        QList<ObjectReference> children;
        if (root)
            children << ObjectReference{busName_, QDBusObjectPath(fieldPath)};
        return reply(QVariant::fromValue(children));
    } else if (!root && member == QLatin1String("GetText")) {
        const QString all = text();
        const int end = argument(1) < 0 ? int(all.size()) : argument(1);
        return reply(all.mid(argument(0), end - argument(0)));
    } else if (!root && member == QLatin1String("GetNSelections")) {
        return reply(0);
    } else if (!root && member == QLatin1String("GetSelection")) {
        return message.createReply(QList<QVariant>{caret(), caret()});
    } else if (!root && member == QLatin1String("SetCaretOffset") && !password_) {
        QTextCursor cursor = static_cast<QTextEdit&>(field_).textCursor();
        cursor.setPosition(argument(0));
        static_cast<QTextEdit&>(field_).setTextCursor(cursor);
        return reply(true);
    } else if (!root && member == QLatin1String("DeleteText") && !password_) {
        QTextCursor cursor = static_cast<QTextEdit&>(field_).textCursor();
        cursor.setPosition(argument(0));
        cursor.setPosition(argument(1), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        return reply(true);
    } else if (!root && member == QLatin1String("InsertText") && !password_) {
        // GTK counts the length in bytes of UTF-8: the whole text is meant.
        QTextCursor cursor = static_cast<QTextEdit&>(field_).textCursor();
        cursor.setPosition(argument(0));
        cursor.insertText(arguments.value(1).toString());
        return reply(true);
    }
    return message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), member);
}
