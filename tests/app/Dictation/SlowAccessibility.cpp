#include "SlowAccessibility.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QLineEdit>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {
const QString prefix = QStringLiteral("/org/a11y/atspi/accessible");
const QString rootPath = prefix + QStringLiteral("/root");
const QString fieldPath = prefix + QStringLiteral("/field");
const QString panePrefix = prefix + QStringLiteral("/pane/");
const QString tabListPath = prefix + QStringLiteral("/tabs");
const QString tabPath = tabListPath + QStringLiteral("/0");
const QString pagePath = prefix + QStringLiteral("/page");

// The interface's numbers: roles application, page tab, page tab list, panel, text and password
// text; states.
constexpr uint roleApplication = 75;
constexpr uint rolePageTab = 37;
constexpr uint rolePageTabList = 38;
constexpr uint rolePanel = 39;
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

SlowAccessibility::SlowAccessibility(QWidget& field, bool password, int delayMs, int crowd)
    : field_(field), password_(password), delayMs_(delayMs),
      panes_(crowd > 0 ? std::max(1, int(std::sqrt(double(crowd)))) : 0), perPane_(panes_ > 0 ? crowd / panes_ : 0)
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
    // As written: the plain text would show a no-break space as a space.
    return static_cast<const QTextEdit&>(field_).document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

int SlowAccessibility::caret() const
{
    if (const auto* line = qobject_cast<const QLineEdit*>(&field_))
        return characters(line->cursorPosition());
    return characters(static_cast<const QTextEdit&>(field_).textCursor().position());
}

int SlowAccessibility::units(int characters) const
{
    const QString all = text();
    if (likeQt_)
        return std::min(characters, int(all.size()));
    int at = 0;
    for (int counted = 0; counted < characters && at < all.size(); ++counted)
        at += all.at(at).isHighSurrogate() ? 2 : 1;
    return std::min(at, int(all.size()));
}

int SlowAccessibility::characters(int units) const
{
    return likeQt_ ? units : int(text().left(units).toUcs4().size());
}

QList<QVariant> SlowAccessibility::children(const QString& path) const
{
    QList<ObjectReference> found;
    const auto add = [&](const QString& child) { found << ObjectReference{busName_, QDBusObjectPath(child)}; };
    const bool onPage = shape_ == Shape::tabBeside || shape_ == Shape::widget;
    const bool tabList = onPage || shape_ == Shape::tabAlone;
    if (path == rootPath && panes_ == 0) {
        for (const QString& child : tabList ? QStringList{tabListPath, pagePath}
                                            : QStringList{shape_ == Shape::tabAbove ? tabPath : fieldPath})
            add(child);
    }
    if (path == tabListPath)
        add(tabPath);
    if ((path == pagePath && onPage) || (path == tabPath && shape_ == Shape::tabAbove))
        add(fieldPath);
    for (int pane = 0; path == rootPath && pane < panes_; ++pane)
        add(panePrefix + QString::number(pane));
    const QString pane = path.startsWith(panePrefix) ? path.mid(panePrefix.size()) : QString();
    if (!pane.isEmpty() && !pane.contains(u'/')) {
        for (int item = 0; item < perPane_; ++item)
            add(path + u'/' + QString::number(item));
        if (pane.toInt() == panes_ - 1)
            add(fieldPath);
    }
    return {QVariant::fromValue(found)};
}

bool SlowAccessibility::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    message.setDelayedReply(true);
    if (delayMs_ < 0)
        return true;
    if (holding_) {
        held_.push_back([this, message, connection] { handleMessage(message, connection); });
        return true;
    }
    // Answered as it is when asked, sent when the delay is over.
    const QDBusMessage reply = answer(message);
    QTimer::singleShot(delayMs_, [connection, reply] { QDBusConnection(connection).send(reply); });
    return true;
}

void SlowAccessibility::release()
{
    holding_ = false;
    for (const std::function<void()>& answerNow : std::exchange(held_, {}))
        answerNow();
}

QDBusMessage SlowAccessibility::answer(const QDBusMessage& message)
{
    const bool root = message.path() == rootPath;
    const bool field = message.path() == fieldPath;
    const QString member = message.member();
    const QList<QVariant> arguments = message.arguments();
    const auto argument = [&](int index) { return arguments.value(index).toInt(); };
    const auto reply = [&](const QVariant& value) { return message.createReply(value); };
    auto* edit = qobject_cast<QTextEdit*>(&field_);
    // The field's cursor at the bus's offset in characters.
    const auto cursorAt = [&](int offset) {
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(units(offset));
        return cursor;
    };

    if (member == QLatin1String("Get") && arguments.size() == 2) {
        const QString name = arguments.at(1).toString();
        QVariant value;
        if (name == QLatin1String("ChildCount"))
            value = int(qdbus_cast<QList<ObjectReference>>(children(message.path()).constFirst()).size());
        else if (name == QLatin1String("ToolkitName") && !toolkit_.isEmpty())
            value = toolkit_;
        else if (field && name == QLatin1String("CaretOffset"))
            value = caret();
        else if (field && name == QLatin1String("CharacterCount"))
            value = characters(int(text().size()));
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
            states = {stateEnabled, stateSensitive, stateShowing, stateVisible};
        if (field && shape_ != Shape::widget)
            states << stateEditable;
        if (field)
            states << stateFocusable;
        // The current tab says focused whatever has the keyboard.
        if ((field && field_.isActiveWindow() && field_.hasFocus()) || message.path() == tabPath)
            states << stateFocused;
        for (const uint state : std::as_const(states))
            words[int(state / 32)] |= 1u << (state % 32);
        return reply(QVariant::fromValue(words));
    } else if (member == QLatin1String("GetRole")) {
        const QString& path = message.path();
        return reply(root                                ? roleApplication
                     : path == tabPath                   ? rolePageTab
                     : path == tabListPath               ? rolePageTabList
                     : !field || shape_ == Shape::widget ? rolePanel
                     : password_                         ? rolePasswordText
                                                         : roleText);
    } else if (member == QLatin1String("GetChildren")) {
        return message.createReply(children(message.path()));
    } else if (member == QLatin1String("GetChildAtIndex")) {
        const auto all = qdbus_cast<QList<ObjectReference>>(children(message.path()).constFirst());
        if (argument(0) >= 0 && argument(0) < all.size())
            return reply(QVariant::fromValue(all.at(argument(0))));
    } else if (field && member == QLatin1String("GetText")) {
        const QString all = text();
        const int end = argument(1) < 0 ? int(all.size()) : units(argument(1));
        return reply(all.mid(units(argument(0)), end - units(argument(0))));
    } else if (field && member == QLatin1String("GetNSelections")) {
        return reply(0);
    } else if (field && member == QLatin1String("GetSelection")) {
        return message.createReply(QList<QVariant>{caret(), caret()});
    } else if (field && member == QLatin1String("SetCaretOffset") && edit) {
        edit->setTextCursor(cursorAt(argument(0)));
        return reply(true);
    } else if (field && member == QLatin1String("DeleteText") && edit) {
        QTextCursor cursor = cursorAt(argument(0));
        cursor.setPosition(units(argument(1)), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        return reply(true);
    } else if (field && member == QLatin1String("SetTextContents") && edit) {
        edit->setPlainText(arguments.value(0).toString());
        return reply(true);
    } else if (field && member == QLatin1String("InsertText") && edit) {
        // GTK's length counts UTF-8 bytes: what lies beyond it isn't inserted. Qt's counts UTF-16
        // units, and the text is resized to it: a longer length pads it.
        QString inserted = QString::fromUtf8(arguments.value(1).toString().toUtf8().left(argument(2)));
        if (likeQt_) {
            inserted = arguments.value(1).toString();
            inserted.resize(argument(2), QChar::ReplacementCharacter);
        }
        if (unbreakable_)
            inserted.replace(u' ', QChar(0x00A0));
        if (dropsEmoji_)
            inserted.removeIf([](QChar unit) { return unit.isSurrogate(); });
        if (limit_ >= 0 && characters(int(text().size())) + inserted.toUcs4().size() > limit_)
            return reply(false);
        QTextCursor cursor = cursorAt(argument(0));
        cursor.insertText(inserted);
        return reply(true);
    }
    return message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), member);
}
