#include "AtSpi/AtSpiFocusedText.h"

#include "AtSpi/AtSpiFocusWalk.h"

#include "Core/Log.h"
#include "Core/MainThread.h"

#include <QCoreApplication>
#include <QDBusError>
#include <QDBusMessage>
#include <QTimer>

using namespace AtSpi;

namespace {
// The longest a search waits for an application nothing else is asked of.
constexpr auto searchPatience = std::chrono::minutes(1);
// Each question outside a search waits at most this long for a hung application.
constexpr auto callTimeout = std::chrono::seconds(1);

const QString connectionName = QStringLiteral("quillmarsh.a11y");
}

AtSpiFocusedText::AtSpiFocusedText() = default;

AtSpiFocusedText::~AtSpiFocusedText()
{
    wantedPid_ = -1;
    queue_.async([this] {
        if (bus_)
            QDBusConnection::disconnectFromBus(connectionName);
    });
}

template <typename Result>
void AtSpiFocusedText::ask(std::function<Result()> work, std::function<void(Result)> answer)
{
    queue_.async([answer = self_.whileAlive(std::move(answer)), work = std::move(work)] {
        runOnMainThread([answer, result = work()] { answer(result); });
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
    QTimer::singleShot(waitBound, self_.whileAlive([once, otherwise] { once(otherwise); }));
}

void AtSpiFocusedText::find(qint64 pid, std::function<void(FocusAnswer)> found)
{
    wantedPid_ = pid;
    ask<FocusAnswer>([this, pid] { return search(pid); }, std::move(found));
}

void AtSpiFocusedText::isFocused(const FocusedElement& wanted, std::function<void(std::optional<bool>)> answer)
{
    askBounded<std::optional<bool>>([this, wanted] { return hasFocus(wanted); }, std::nullopt, std::move(answer));
}

void AtSpiFocusedText::read(const FocusedElement& wanted, std::function<void(std::optional<FieldText>)> read)
{
    askBounded<std::optional<FieldText>>([this, wanted] { return readText(wanted); }, std::nullopt, std::move(read));
}

void AtSpiFocusedText::replace(const FocusedElement& wanted, Replace::Range range, const QString& current,
                               const QString& replacement, std::function<void(bool)> done)
{
    ask<bool>([this, wanted, range, current, replacement] { return replaceText(wanted, range, current, replacement); },
              std::move(done));
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
            QDBus::Block, static_cast<int>(std::chrono::milliseconds(callTimeout).count()));
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

AtSpiCalls AtSpiFocusedText::shortCalls() const
{
    return AtSpiCalls(*bus_, std::chrono::steady_clock::now() + callTimeout);
}

std::optional<QList<QVariant>> AtSpiFocusedText::call(const Node& node, const QString& interface, const QString& method,
                                                      const QList<QVariant>& arguments)
{
    return shortCalls().send(message(node, interface, method, arguments)).values;
}

FocusAnswer AtSpiFocusedText::search(qint64 pid)
{
    FocusAnswer answer;
    if (!connect())
        return answer;
    const AtSpiCalls calls(*bus_, std::chrono::steady_clock::now() + searchPatience,
                           [this, pid] { return wantedPid_ == pid; });
    // The registry lists the applications on the bus.
    const AtSpiCalls::Reply listed = calls.send(message(Node{QStringLiteral("org.a11y.atspi.Registry"), rootPath},
                                                        accessibleInterface, QStringLiteral("GetChildren")));
    if (!listed.values) {
        answer.unanswered = listed.unanswered;
        return answer;
    }
    const QList<Node> apps = nodesIn(*listed.values);
    QList<QDBusMessage> owners;
    for (const Node& app : apps)
        owners << message(Node{QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus")},
                          QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"),
                          {app.service});
    const QList<AtSpiCalls::Reply> pids = calls.send(owners);

    const qint64 ownPid = QCoreApplication::applicationPid();
    for (qsizetype i = 0; i < apps.size(); ++i) {
        const Node& app = apps.at(i);
        const qint64 appPid = pids.at(i).values ? pids.at(i).values->value(0).toLongLong() : 0;
        // Asking our own process would wait on its main thread, which may be waiting for this answer.
        if (appPid == ownPid || (pid != 0 && appPid != pid))
            continue;
        const AtSpiFocusWalk walk = AtSpiFocusWalk::through(app, calls, searchBudget);
        answer.unanswered = answer.unanswered || walk.undecided;
        if (!walk.focused)
            continue;
        last_ = walk.focused;
        lastUnits_ = TextUnits::ofToolkit(walk.toolkit);
        FocusedElement element;
        element.id = walk.focused->service + QLatin1Char(':') + walk.focused->path;
        element.pid = appPid;
        element.password = walk.role == rolePasswordText;
        element.terminal = walk.role == roleTerminal;
        element.text = walk.text;
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

std::optional<bool> AtSpiFocusedText::hasFocus(const FocusedElement& wanted)
{
    // Another search since, or an element that has gone, has lost the focus.
    const std::optional<Node> node = element(wanted);
    if (!node)
        return false;
    const AtSpiCalls::Reply state = shortCalls().send(message(*node, accessibleInterface, QStringLiteral("GetState")));
    if (state.unanswered)
        return std::nullopt;
    return state.values && hasState(*state.values, stateFocused);
}

std::optional<TextUnits> AtSpiFocusedText::countingOf(const std::optional<QList<QVariant>>& characterCount,
                                                      const QString& text)
{
    if (!lastUnits_ && characterCount)
        lastUnits_ = TextUnits::ofLength(text, propertyValue(*characterCount).toLongLong());
    return lastUnits_;
}

std::optional<FieldText> AtSpiFocusedText::readText(const FocusedElement& wanted)
{
    const std::optional<Node> node = element(wanted);
    if (!node)
        return std::nullopt;
    // The text, its length, the caret and the selection are asked for together: one wait for the
    // application.
    const QList<AtSpiCalls::Reply> replies = shortCalls().send(
        {message(*node, textInterface, QStringLiteral("GetText"), {0, -1}),
         message(*node, propertiesInterface, QStringLiteral("Get"), {textInterface, QStringLiteral("CaretOffset")}),
         message(*node, textInterface, QStringLiteral("GetNSelections")),
         message(*node, textInterface, QStringLiteral("GetSelection"), {0}),
         message(*node, propertiesInterface, QStringLiteral("Get"),
                 {textInterface, QStringLiteral("CharacterCount")})});
    const auto& text = replies.at(0).values;
    const auto& caret = replies.at(1).values;
    if (!text || text->isEmpty() || !caret || caret->isEmpty())
        return std::nullopt;
    const QString value = text->constFirst().toString();
    const int caretOffset = propertyValue(*caret).toInt();
    // Without the toolkit's counting, offsets mean the same in both only in a text without
    // characters beyond the basic plane.
    const std::optional<TextUnits> known = countingOf(replies.at(4).values, value);
    if (caretOffset < 0 || (!known && QStringView(value).toUcs4().size() != value.size()))
        return std::nullopt;
    const TextUnits units = known.value_or(TextUnits::characters());
    FieldText result{value, {units.toUtf16(value, caretOffset), 0}};
    const auto& selections = replies.at(2).values;
    const auto& range = replies.at(3).values;
    if (selections && !selections->isEmpty() && selections->constFirst().toInt() > 0 && range && range->size() == 2
        && range->at(1).toInt() > range->at(0).toInt()) {
        const qsizetype start = units.toUtf16(value, range->at(0).toInt());
        result.selection = {start, units.toUtf16(value, range->at(1).toInt()) - start};
    }
    return result;
}

// Deletes the range and inserts the replacement there, but only over the text the caller means:
// the field may have changed since it was read. An insert that fails after the delete puts the
// deleted text back, so the field never ends up with neither; one that arrives other than sent (a
// toolkit counting otherwise than we thought, or dropping a character) is taken out, and the
// deleted text inserted in its place. Only that stretch ever changes: the rest of the element, its
// formats too, stays as it was.
bool AtSpiFocusedText::replaceText(const FocusedElement& wanted, Replace::Range range, const QString& current,
                                   const QString& replacement)
{
    const std::optional<Node> node = element(wanted);
    if (!node)
        return false;
    const std::optional<QString> value = wholeText(*node);
    const QString held = value ? value->mid(range.location, range.length) : QString();
    // Compared as where the range was found.
    if (!value || range.location < 0 || range.location + range.length > value->size()
        || !Replace::sameInField(held, current)) {
        Log::info(QStringLiteral("not replaced, the field no longer holds the text where it was"));
        return false;
    }
    // Unknown, the counting can only be one in which the offsets agree: the lengths must too.
    if (!lastUnits_ && (!TextUnits::insertsAlike(replacement) || !TextUnits::insertsAlike(held))) {
        Log::info(QStringLiteral("not replaced, the field's toolkit didn't say how it counts text"));
        return false;
    }
    const TextUnits units = lastUnits_.value_or(TextUnits::characters());
    const auto start = static_cast<int>(units.fromUtf16(*value, range.location));
    const auto remove = [&](int end) {
        const auto deleted = call(*node, editableTextInterface, QStringLiteral("DeleteText"), {start, end});
        return deleted && !deleted->isEmpty() && deleted->constFirst().toBool();
    };
    const auto insert = [&](const QString& text) {
        const auto length = static_cast<int>(units.insertLength(text));
        const auto inserted = call(*node, editableTextInterface, QStringLiteral("InsertText"), {start, text, length});
        if (!inserted || inserted->isEmpty() || !inserted->constFirst().toBool())
            return false;
        call(*node, textInterface, QStringLiteral("SetCaretOffset"),
             {static_cast<int>(start + units.fromUtf16(text, text.size()))});
        return true;
    };
    if (!remove(static_cast<int>(units.fromUtf16(*value, range.location + range.length))))
        return false;
    if (!insert(replacement)) {
        const bool restored = insert(held);
        Log::info(restored ? QStringLiteral("couldn't insert the improved text, the text is put back")
                           : QStringLiteral("couldn't insert the improved text, nor put the text back"));
        return false;
    }
    // Read back: where the text around it is as it was, what went in must be the replacement as
    // the field writes text, or it goes out again and the pasted text back in its place.
    const QString before = value->left(range.location);
    const QString after = value->mid(range.location + range.length);
    const std::optional<QString> now = wholeText(*node);
    const qsizetype arrivedLength = now ? now->size() - before.size() - after.size() : -1;
    if (arrivedLength < 0 || !Replace::sameInField(now->left(before.size()), before)
        || !Replace::sameInField(now->right(after.size()), after)) {
        Log::info(QStringLiteral("the field changed while the improved text went in"));
        return false;
    }
    if (Replace::sameInField(now->mid(before.size(), arrivedLength), replacement))
        return true;
    const bool restored =
        remove(static_cast<int>(units.fromUtf16(*now, before.size() + arrivedLength))) && insert(held);
    Log::info(restored ? QStringLiteral("the improved text didn't arrive as sent, the text is put back")
                       : QStringLiteral("the improved text didn't arrive as sent, nor could the text be put back"));
    return false;
}
