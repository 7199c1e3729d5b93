#pragma once
// A sign-in started on this computer and not yet finished: the PKCE verifier the code exchange
// needs, and the state that the browser's return must carry to be taken as this sign-in's.

#include <QByteArray>
#include <QString>

#include <optional>

struct PendingSignIn {
    QString verifier;
    QString state;
    qint64 startedAt = 0;  // seconds since 1970

    // E-mailed links work for a day; a sign-in older than that can't be finished.
    static constexpr qint64 lifetime = 24 * 60 * 60;

    bool expired(qint64 now) const { return now - startedAt > lifetime || now < startedAt; }

    QByteArray encoded() const;
    static std::optional<PendingSignIn> decoded(const QByteArray& bytes);

    bool operator==(const PendingSignIn&) const = default;
};
