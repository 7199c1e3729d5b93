#include "AtSpi/AtSpiFocusedText.h"

#include "Core/Log.h"
#include "Core/MainThread.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QTimer>

namespace {
// Accessibles visited in one search at most: a huge document tree is not worth blocking for.
constexpr int searchBudget = 4000;

// Each call waits at most this long for a hung application.
constexpr int callTimeoutMs = 1000;

const QString connectionName = QStringLiteral("quillmarsh.a11y");
const QString accessibleInterface = QStringLiteral("org.a11y.atspi.Accessible");
const QString applicationInterface = QStringLiteral("org.a11y.atspi.Application");
const QString textInterface = QStringLiteral("org.a11y.atspi.Text");
const QString editableTextInterface = QStringLiteral("org.a11y.atspi.EditableText");
const QString rootPath = QStringLiteral("/org/a11y/atspi/accessible/root");
const QString nullPath = QStringLiteral("/org/a11y/atspi/null");

// The interface's numbers for the roles and states asked about.
constexpr uint rolePasswordText = 40;
constexpr uint roleTerminal = 60;
constexpr int stateFocused = 12;
constexpr int stateShowing = 25;

bool hasState(const QList<uint>& states, int state)
{
    return state / 32 < states.size() && (states.at(state / 32) & (1u << (state % 32))) != 0;
}

// Offsets between the toolkit's units (characters, or UTF-16 units for Qt) and UTF-16 units.
qsizetype toUtf16(const QString& text, qsizetype offset, bool countsUtf16)
{
    if (countsUtf16)
        return offset;
    qsizetype units = 0;
    for (qsizetype characters = 0; characters < offset && units < text.size(); ++characters)
        units += text.at(units).isHighSurrogate() && units + 1 < text.size() ? 2 : 1;
    return units;
}

qsizetype fromUtf16(const QString& text, qsizetype units, bool countsUtf16)
{
    if (countsUtf16)
        return units;
    return QStringView(text).left(units).toUcs4().size();
}
}

AtSpiFocusedText::AtSpiFocusedText() = default;

AtSpiFocusedText::~AtSpiFocusedText()
{
    queue_.async([this] {
        if (bus_)
            QDBusConnection::disconnectFromBus(connectionName);
    });
}

template <typename Result>
void AtSpiFocusedText::ask(std::function<Result()> work, std::function<void(Result)> answer)
{
    queue_.async([self = std::weak_ptr<AtSpiFocusedText*>(self_), work = std::move(work), answer = std::move(answer)] {
        runOnMainThread([self, answer, result = work()] {
            if (self.lock())
                answer(result);
        });
    });
}

template <typename Result>
void AtSpiFocusedText::askBounded(std::function<Result()> work, Result otherwise, std::function<void(Result)> answer)
{
    // Whichever comes first, the result or the bound, is answered; the other is dropped. Both
    // run on the main thread, so they need no lock.
    auto pending = std::make_shared<std::function<void(Result)>>(std::move(answer));
    const auto once = [pending](Result result) {
        if (*pending)
            std::exchange(*pending, nullptr)(std::move(result));
    };
    ask<Result>(std::move(work), once);
    QTimer::singleShot(waitBound, [self = std::weak_ptr<AtSpiFocusedText*>(self_), once, otherwise] {
        if (self.lock())
            once(otherwise);
    });
}

void AtSpiFocusedText::find(qint64 pid, std::function<void(FocusAnswer)> found)
{
    ask<FocusAnswer>([this, pid] { return search(pid); }, std::move(found));
}

void AtSpiFocusedText::isFocused(const FocusedElement& wanted, std::function<void(bool)> answer)
{
    askBounded<bool>([this, wanted] { return hasFocus(wanted); }, false, std::move(answer));
}

void AtSpiFocusedText::read(const FocusedElement& wanted, std::function<void(std::optional<FieldText>)> read)
{
    askBounded<std::optional<FieldText>>([this, wanted] { return readText(wanted); }, std::nullopt, std::move(read));
}

void AtSpiFocusedText::replace(const FocusedElement& wanted, Replace::Range range, const QString& replacement,
                               std::function<void(bool)> done)
{
    ask<bool>([this, wanted, range, replacement] { return replaceText(wanted, range, replacement); }, std::move(done));
}

bool AtSpiFocusedText::connect()
{
    // Joined on first use, so a process that never dictates never talks to the accessibility bus.
    if (tried_)
        return bus_.has_value();
    tried_ = true;
    QString address = qEnvironmentVariable("AT_SPI_BUS_ADDRESS");
    if (address.isEmpty()) {
        const QDBusMessage reply = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                           QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")),
            QDBus::Block, callTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            address = reply.arguments().constFirst().toString();
    }
    if (address.isEmpty()) {
        Log::info(QStringLiteral("no accessibility bus: the focused element can't be asked for"));
        return false;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(address, connectionName);
    if (!bus.isConnected()) {
        Log::info(QStringLiteral("couldn't join the accessibility bus: ") + bus.lastError().message());
        QDBusConnection::disconnectFromBus(connectionName);
        return false;
    }
    bus_ = bus;
    return true;
}

std::optional<QList<QVariant>> AtSpiFocusedText::call(const Node& node, const QString& interface, const QString& method,
                                                      const QList<QVariant>& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(node.service, node.path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = bus_->call(message, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        // Refusing is an answer; silence until the time-out, or leaving, is not.
        unanswered_ = reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply");
        return std::nullopt;
    }
    return reply.arguments();
}

QList<std::optional<QList<QVariant>>> AtSpiFocusedText::callAll(const QList<QDBusMessage>& messages)
{
    QList<QDBusPendingCall> pending;
    for (const QDBusMessage& message : messages)
        pending << bus_->asyncCall(message, callTimeoutMs);
    QList<std::optional<QList<QVariant>>> replies;
    for (QDBusPendingCall& call : pending) {
        call.waitForFinished();
        const QDBusMessage reply = call.reply();
        replies << (reply.type() == QDBusMessage::ReplyMessage ? std::optional(reply.arguments()) : std::nullopt);
    }
    return replies;
}

std::optional<QVariant> AtSpiFocusedText::property(const Node& node, const QString& interface, const QString& name)
{
    const auto reply =
        call(node, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {interface, name});
    if (!reply || reply->isEmpty())
        return std::nullopt;
    return qvariant_cast<QDBusVariant>(reply->constFirst()).variant();
}

// Depth first through what is showing, to the accessible whose state says focused. An application
// that doesn't answer ends the search: every further call would wait as long.
std::optional<AtSpiFocusedText::Node> AtSpiFocusedText::findFocused(const Node& node, bool root, int& budget,
                                                                    bool& unanswered)
{
    if (--budget < 0)
        return std::nullopt;
    const auto fail = [&] {
        unanswered = unanswered || unanswered_;
        budget = 0;
        return std::nullopt;
    };
    const auto state = call(node, accessibleInterface, QStringLiteral("GetState"));
    if (!state || state->isEmpty())
        return fail();
    const auto states = qdbus_cast<QList<uint>>(state->constFirst());
    if (hasState(states, stateFocused))
        return node;
    // An application's own accessible says nothing of showing; below it, what isn't shown is skipped.
    if (!root && !hasState(states, stateShowing))
        return std::nullopt;
    const std::optional<QVariant> count = property(node, accessibleInterface, QStringLiteral("ChildCount"));
    if (!count)
        return fail();
    for (int i = 0; i < count->toInt() && budget > 0; ++i) {
        const auto child = call(node, accessibleInterface, QStringLiteral("GetChildAtIndex"), {i});
        if (!child || child->isEmpty())
            return fail();
        Node next;
        QDBusObjectPath path;
        const QDBusArgument reference = qvariant_cast<QDBusArgument>(child->constFirst());
        reference.beginStructure();
        reference >> next.service >> path;
        reference.endStructure();
        next.path = path.path();
        if (next.service.isEmpty() || next.path == nullPath)
            continue;
        if (auto found = findFocused(next, false, budget, unanswered))
            return found;
    }
    return std::nullopt;
}

FocusAnswer AtSpiFocusedText::search(qint64 pid)
{
    FocusAnswer answer;
    if (!connect())
        return answer;
    // The registry lists the applications on the bus.
    const auto apps =
        call({QStringLiteral("org.a11y.atspi.Registry"), rootPath}, accessibleInterface, QStringLiteral("GetChildren"));
    if (!apps || apps->isEmpty()) {
        answer.unanswered = unanswered_;
        return answer;
    }
    QList<Node> nodes;
    const QDBusArgument list = qvariant_cast<QDBusArgument>(apps->constFirst());
    list.beginArray();
    while (!list.atEnd()) {
        Node app;
        QDBusObjectPath path;
        list.beginStructure();
        list >> app.service >> path;
        list.endStructure();
        app.path = path.path();
        nodes << app;
    }
    list.endArray();

    const qint64 ownPid = QCoreApplication::applicationPid();
    for (const Node& app : std::as_const(nodes)) {
        const auto owner =
            call({QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus")},
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"), {app.service});
        const qint64 appPid = owner && !owner->isEmpty() ? owner->constFirst().toLongLong() : 0;
        // Asking our own process would wait on its main thread, which may be waiting for this answer.
        if (appPid == ownPid || (pid != 0 && appPid != pid))
            continue;
        int budget = searchBudget;
        const std::optional<Node> found = findFocused(app, true, budget, answer.unanswered);
        if (!found)
            continue;
        const std::optional<QVariant> toolkit = property(app, applicationInterface, QStringLiteral("ToolkitName"));
        lastCountsUtf16_ = toolkit && toolkit->toString().startsWith(QLatin1String("Qt"));
        last_ = found;
        const auto role = call(*found, accessibleInterface, QStringLiteral("GetRole"));
        // A role it didn't give may be the password one.
        if (!role || role->isEmpty()) {
            answer.unanswered = unanswered_;
            return answer;
        }
        FocusedElement element;
        element.id = found->service + QLatin1Char(':') + found->path;
        element.pid = appPid;
        element.password = role->constFirst().toUInt() == rolePasswordText;
        element.terminal = role->constFirst().toUInt() == roleTerminal;
        answer.element = element;
        return answer;
    }
    return answer;
}

std::optional<AtSpiFocusedText::Node> AtSpiFocusedText::element(const FocusedElement& wanted) const
{
    if (!last_ || last_->service + QLatin1Char(':') + last_->path != wanted.id)
        return std::nullopt;
    return last_;
}

std::optional<QString> AtSpiFocusedText::wholeText(const Node& node)
{
    // An end of -1 is the end of the text.
    const auto text = call(node, textInterface, QStringLiteral("GetText"), {0, -1});
    if (!text || text->isEmpty())
        return std::nullopt;
    return text->constFirst().toString();
}

bool AtSpiFocusedText::hasFocus(const FocusedElement& wanted)
{
    const std::optional<Node> node = element(wanted);
    const auto state = node ? call(*node, accessibleInterface, QStringLiteral("GetState")) : std::nullopt;
    return state && !state->isEmpty() && hasState(qdbus_cast<QList<uint>>(state->constFirst()), stateFocused);
}

std::optional<FieldText> AtSpiFocusedText::readText(const FocusedElement& wanted)
{
    const std::optional<Node> node = element(wanted);
    if (!node)
        return std::nullopt;
    const auto message = [&](const QString& interface, const QString& method, const QList<QVariant>& arguments) {
        QDBusMessage question = QDBusMessage::createMethodCall(node->service, node->path, interface, method);
        question.setArguments(arguments);
        return question;
    };
    const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");
    // The text, the caret and the selection are asked for together: one wait for the application.
    const auto replies =
        callAll({message(textInterface, QStringLiteral("GetText"), {0, -1}),
                 message(properties, QStringLiteral("Get"), {textInterface, QStringLiteral("CaretOffset")}),
                 message(textInterface, QStringLiteral("GetNSelections"), {}),
                 message(textInterface, QStringLiteral("GetSelection"), {0})});
    const auto& text = replies.at(0);
    const auto& caret = replies.at(1);
    if (!text || text->isEmpty() || !caret || caret->isEmpty())
        return std::nullopt;
    const QString value = text->constFirst().toString();
    const int caretOffset = qvariant_cast<QDBusVariant>(caret->constFirst()).variant().toInt();
    if (caretOffset < 0)
        return std::nullopt;
    FieldText result{value, {toUtf16(value, caretOffset, lastCountsUtf16_), 0}};
    const auto& selections = replies.at(2);
    const auto& range = replies.at(3);
    if (selections && !selections->isEmpty() && selections->constFirst().toInt() > 0 && range && range->size() == 2
        && range->at(1).toInt() > range->at(0).toInt()) {
        const qsizetype start = toUtf16(value, range->at(0).toInt(), lastCountsUtf16_);
        result.selection = {start, toUtf16(value, range->at(1).toInt(), lastCountsUtf16_) - start};
    }
    return result;
}

bool AtSpiFocusedText::replaceText(const FocusedElement& wanted, Replace::Range range, const QString& replacement)
{
    const std::optional<Node> node = element(wanted);
    if (!node)
        return false;
    const std::optional<QString> value = wholeText(*node);
    if (!value || range.location + range.length > value->size())
        return false;
    const bool utf16 = lastCountsUtf16_;
    const auto start = static_cast<int>(fromUtf16(*value, range.location, utf16));
    const auto end = static_cast<int>(fromUtf16(*value, range.location + range.length, utf16));
    const auto deleted = call(*node, editableTextInterface, QStringLiteral("DeleteText"), {start, end});
    if (!deleted || deleted->isEmpty() || !deleted->constFirst().toBool())
        return false;
    const auto length = static_cast<int>(utf16 ? replacement.size() : replacement.toUtf8().size());
    const auto inserted =
        call(*node, editableTextInterface, QStringLiteral("InsertText"), {start, replacement, length});
    if (!inserted || inserted->isEmpty() || !inserted->constFirst().toBool()) {
        Log::info(QStringLiteral("couldn't insert the improved text"));
        return false;
    }
    const auto caret = static_cast<int>(start + fromUtf16(replacement, replacement.size(), utf16));
    call(*node, textInterface, QStringLiteral("SetCaretOffset"), {caret});
    return true;
}
