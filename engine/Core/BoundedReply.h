#pragma once
// A network reply read within bounds as its bytes arrive: a body no longer than a limit, checked
// on the length the server announces and again on every arrival (chunked replies included);
// progress within an idle time; an end within an overall time. A reply that breaks a bound is
// aborted at once, and nothing past the limit is ever read.

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <optional>

class QNetworkReply;

// Every request names its bounds: none of them has a default that would hold for all.
struct ReplyBounds {
    constexpr ReplyBounds(qint64 longestBody, std::chrono::milliseconds idleWait, std::chrono::milliseconds wholeTime,
                          qint64 steadyProgress = 1)
        : maxBytes(longestBody), idle(idleWait), overall(wholeTime), steadyBytes(steadyProgress)
    {
    }

    qint64 maxBytes;  // the longest body read
    // The longest wait for `steadyBytes` more bytes to go out or come in, so a server that stops,
    // or trickles a byte now and then, is given up on.
    std::chrono::milliseconds idle;
    std::chrono::milliseconds overall;  // the longest the whole request may take
    qint64 steadyBytes;
};

enum class ReplyBreach { tooLong, stalled, overdue };

// The broken bound in plain, lower-case words.
QString describe(ReplyBreach breach);

class BoundedReply final : public QObject {
public:
    // Watches the reply from now on. Lives on the reply's thread as its child, as long as it.
    static BoundedReply& watch(QNetworkReply& reply, const ReplyBounds& bounds);

    // Reads up to maxSize bytes of the body that has arrived. Once more has arrived than the limit
    // allows, the reply is aborted and nothing more is given.
    qint64 read(char* data, qint64 maxSize);
    // Appends all that has arrived to `body`, within the limit.
    void readInto(QByteArray& body);

    std::optional<ReplyBreach> breach() const { return breach_; }

private:
    BoundedReply(QNetworkReply& reply, const ReplyBounds& bounds);
    void checkAnnouncedLength();
    void progressed();
    void breakOff(ReplyBreach breach);

    QNetworkReply& reply_;
    const ReplyBounds bounds_;
    qint64 read_ = 0;
    qint64 sent_ = 0;
    qint64 received_ = 0;
    qint64 movedAtLastProgress_ = 0;
    QTimer idle_;
    QTimer overall_;
    std::optional<ReplyBreach> breach_;
};
