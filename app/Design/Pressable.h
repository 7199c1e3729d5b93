#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

// What makes a control pressable the same way everywhere, attached to the control (a button, a
// combo box): Space and Return press it only while its focus ring shows, so no key presses a
// control the user doesn't see has the keyboard (Return then goes on to the window); it keeps how
// the focus last came to it, so that the focus comes back as it came when another window gave it
// back, with its ring when the keyboard had brought it; and it tells the focus rule (FocusKeeper)
// whether the focus may land on it by itself.
class Pressable : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Pressable is attached to a control")
    QML_ATTACHED(Pressable)
    // A press that loses something or reaches beyond the window (signing out, deleting,
    // downloading): the focus never lands on it by itself, only when the user moves it there.
    Q_PROPERTY(bool dangerous MEMBER dangerous_ NOTIFY dangerousChanged)
    Q_PROPERTY(int focusCameBy READ focusCameBy NOTIFY focusCameByChanged)
    // A control that pressing again would not change (a chosen choice) leaves Return to the window.
    Q_PROPERTY(bool returnPresses MEMBER returnPresses_ NOTIFY returnPressesChanged)

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
    void returnPressesChanged();
    // Return or Enter pressed it, its ring showing (Space is the control's own).
    void keyPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusChanged();
    bool ringShows() const;

    QPointer<QQuickItem> control_;
    bool dangerous_ = false;
    bool returnPresses_ = true;
    Qt::FocusReason cameBy_ = Qt::OtherFocusReason;
};
