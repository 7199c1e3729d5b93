#pragma once
// The test application's field published on the accessibility bus by hand, as a GTK application
// publishes it (toolkit "GTK", offsets in characters, and a direct connection offered to whoever
// asks), but answering every question a set time after it arrives, or never: an editor whose
// answers are slow, or an application that has stopped answering.

#include <QDBusServer>
#include <QDBusVirtualObject>

#include <memory>

class QWidget;

class SlowAccessibility final : public QDBusVirtualObject {
public:
    // `delayMs` below 0: never answers. `field` is a QTextEdit, or a QLineEdit for a password.
    SlowAccessibility(QWidget& field, bool password, int delayMs);
    // Joins the accessibility bus at this address and has the registry list the application.
    bool publish(const QString& busAddress);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QDBusMessage answer(const QDBusMessage& message);
    QString text() const;
    int caret() const;

    QWidget& field_;
    const bool password_;
    const int delayMs_;
    QString busName_;  // on the accessibility bus, which names the objects also on a direct connection
    QDBusServer direct_{QStringLiteral("unix:tmpdir=/tmp")};
};
