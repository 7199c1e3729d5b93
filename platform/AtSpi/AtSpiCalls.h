#pragma once
// Calls on the accessibility bus sent together, so that the waits for their answers overlap, then
// waited for until each has answered, the deadline has passed, or (when `wanted` is given)
// whoever asked no longer wants the answers. Blocks the calling thread, which must not be the
// main one.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QVariant>

#include <chrono>
#include <functional>
#include <optional>

class AtSpiCalls {
public:
    struct Reply {
        std::optional<QList<QVariant>> values;  // nothing when refused or unanswered
        bool unanswered = false;  // no answer came in time: unlike a refusal, it says nothing
    };

    AtSpiCalls(const QDBusConnection& bus, std::chrono::steady_clock::time_point deadline,
               std::function<bool()> wanted = {});

    // One reply for each message, in their order.
    QList<Reply> send(const QList<QDBusMessage>& messages) const;
    Reply send(const QDBusMessage& message) const { return send(QList<QDBusMessage>{message}).constFirst(); }

private:
    QDBusConnection bus_;
    std::chrono::steady_clock::time_point deadline_;
    std::function<bool()> wanted_;
};
