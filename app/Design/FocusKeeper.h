#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtQml/qqmlregistration.h>

// Hands the keyboard on when the control that has it goes away. A control hidden or taken out of
// the window would otherwise keep the focus where nobody sees it (a hidden field still takes what
// is typed), or leave it on the window's root where Tab starts over. The focus moves to the
// nearest visible, enabled control of `area`: the next one in Tab order, else the one before,
// else `heading` (what a reader says the page is), else `area` itself; it shows its ring there. A
// control that becomes disabled while it has the focus hands it on alike, unless it is enabled
// again before the change has run its course; disabled while its work runs, it has the focus back
// when enabled again, as long as nothing was pressed meanwhile and the focus is where it was
// handed. A control marked `Pressable.dangerous` (signing out, deleting, downloading) is passed
// over: a key pressed after an action the user didn't aim at it changes nothing.
//
// Put one in a window's content for the part whose controls come and go, e.g.
// `FocusKeeper { area: pageLoader.item }`.
class FocusKeeper : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickItem* area READ area WRITE setArea NOTIFY areaChanged)
    Q_PROPERTY(QQuickItem* heading MEMBER heading_ NOTIFY headingChanged)

public:
    using QObject::QObject;

    QQuickItem* area() const { return area_; }
    void setArea(QQuickItem* area);

signals:
    void areaChanged();
    void headingChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchWindow();
    void focusMoved();
    // The focus is on `control`, somewhere the user sees, put there by the user or the page:
    // nothing is lost, and a control of the area is followed from now on.
    void settleOn(QQuickItem* control);
    // Starts following `control`, which has the focus now.
    void follow(QQuickItem* control);
    void stopFollowing();
    // The followed control may have gone: remember where it was and look again once the change
    // that took it has run its course (a popup giving the focus back, a page taking it).
    void suspectLoss();
    void scheduleHandOn();
    void handOn();
    // A visible, enabled control of this window that Tab reaches.
    bool isSeenControl(const QQuickItem* item) const;
    // A seen control of the area that the focus may be handed to.
    bool isSafeTarget(const QQuickItem* item) const;
    // In this window and visible.
    bool isShown(const QQuickItem* item) const;
    bool inArea(const QQuickItem* item) const;
    QQuickItem* nearestControl(QQuickItem* anchor) const;
    // The disabled `control` handed the focus to `holder`; enabled again, it may have it back.
    void awaitReturn(QQuickItem* control, QQuickItem* holder, Qt::FocusReason reason);
    void returnAwaited();
    void stopAwaiting();

    QPointer<QQuickItem> area_;
    QPointer<QQuickItem> heading_;
    QPointer<QQuickWindow> window_;
    QPointer<QQuickItem> followed_;
    QList<QMetaObject::Connection> followedSignals_;
    // The lost control and the items that held it, innermost first, as they were when it went.
    QList<QPointer<QQuickItem>> lostPlace_;
    bool handOnPending_ = false;
    // A control disabled under the keyboard, where the focus went, and how it had come to it.
    QPointer<QQuickItem> awaited_;
    QPointer<QQuickItem> holder_;
    Qt::FocusReason awaitedReason_ = Qt::OtherFocusReason;
    QMetaObject::Connection awaitedSignal_;
};
