#pragma once
// A session store that forgets everything when the process ends: for tests, and for runs that
// must not touch the desktop's secret store.

#include "Account/SessionStore.h"

#include <QHash>

class MemorySessionStore final : public SessionStore {
protected:
    std::optional<QByteArray> read(const QString& item) override
    {
        const auto found = items_.constFind(item);
        return found == items_.cend() ? std::nullopt : std::optional(*found);
    }
    void write(const QString& item, const QByteArray& bytes) override { items_.insert(item, bytes); }
    void remove(const QString& item) override { items_.remove(item); }

private:
    QHash<QString, QByteArray> items_;
};
