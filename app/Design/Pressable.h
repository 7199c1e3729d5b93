#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

// What a pressable control tells the focus rule (FocusKeeper) about itself, attached to the
// control: `Pressable.dangerous: true`. It also keeps how the focus last came to the control, so
// that the focus comes back as it came when another window gave it back: with its ring, and Return
// pressing, when the keyboard had brought it.
class Pressable : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Pressable is attached to a control")
    QML_ATTACHED(Pressable)
    // A press that loses something or reaches beyond the window (signing out, deleting,
    // downloading): the focus never lands on it by itself, only when the user moves it there.
    Q_PROPERTY(bool dangerous MEMBER dangerous_ NOTIFY dangerousChanged)
    Q_PROPERTY(int focusCameBy READ focusCameBy NOTIFY focusCameByChanged)

public:
    explicit Pressable(QObject* control);

    static Pressable* qmlAttachedProperties(QObject* control) { return new Pressable(control); }
    // The control's attached part, when it has one.
    static const Pressable* of(const QQuickItem* control);

    bool dangerous() const { return dangerous_; }
    Qt::FocusReason focusCameBy() const { return cameBy_; }

signals:
    void dangerousChanged();
    void focusCameByChanged();

private:
    void focusChanged();

    QPointer<QQuickItem> control_;
    bool dangerous_ = false;
    Qt::FocusReason cameBy_ = Qt::OtherFocusReason;
};
