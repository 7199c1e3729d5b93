#include "AtSpi/AtSpiCalls.h"

#include <QDBusPendingCall>

#include <algorithm>
#include <thread>

namespace {
// How often the waits look for answers and for whether they are still wanted (a bus reply can't
// wake a waiter that might also have to stop for a reason of its own): often while answers are
// due, less once the application is clearly busy.
constexpr auto lookInterval = std::chrono::milliseconds(1);
constexpr auto busyLookInterval = std::chrono::milliseconds(10);
constexpr auto answersDue = std::chrono::milliseconds(50);
}

AtSpiCalls::AtSpiCalls(const QDBusConnection& bus, std::chrono::steady_clock::time_point deadline,
                       std::function<bool()> wanted)
    : bus_(bus), deadline_(deadline), wanted_(std::move(wanted))
{
}

QList<AtSpiCalls::Reply> AtSpiCalls::send(const QList<QDBusMessage>& messages) const
{
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(deadline_ - steady_clock::now());
    QList<QDBusPendingCall> pending;
    for (const QDBusMessage& message : messages)
        pending << bus_.asyncCall(message, static_cast<int>(std::max(left, milliseconds(1)).count()));
    const auto answered = [&] {
        return std::all_of(pending.cbegin(), pending.cend(),
                           [](const QDBusPendingCall& call) { return call.isFinished(); });
    };
    if (!wanted_) {
        // Each call ends at its answer or at the deadline, which is its time-out.
        for (QDBusPendingCall& call : pending)
            call.waitForFinished();
    } else {
        const auto sent = steady_clock::now();
        while (!answered() && steady_clock::now() < deadline_ && wanted_())
            std::this_thread::sleep_for(steady_clock::now() - sent < answersDue ? lookInterval : busyLookInterval);
    }

    QList<Reply> replies;
    for (const QDBusPendingCall& call : std::as_const(pending)) {
        const QDBusMessage reply = call.isFinished() ? call.reply() : QDBusMessage();
        if (reply.type() == QDBusMessage::ReplyMessage)
            replies << Reply{reply.arguments(), false};
        else
            // Refusing is an answer; silence, until the time-out or until no one waits, is not.
            replies << Reply{std::nullopt,
                             !call.isFinished()
                                 || reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply")};
    }
    return replies;
}
