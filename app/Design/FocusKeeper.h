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
// nearest visible control of `area`: the next one in Tab order, else the one before, else `area`
// itself; it shows its ring there. A control only disabled, as while its work runs, keeps its
// claim: it has the focus back once enabled again, and a page whose control stays disabled puts
// the focus somewhere itself.
//
// Put one in a window's content for the part whose controls come and go, e.g.
// `FocusKeeper { area: pageLoader.item }`.
class FocusKeeper : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickItem* area READ area WRITE setArea NOTIFY areaChanged)

public:
    using QObject::QObject;

    QQuickItem* area() const { return area_; }
    void setArea(QQuickItem* area);

signals:
    void areaChanged();

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
    // In this window and visible.
    bool isShown(const QQuickItem* item) const;
    bool inArea(const QQuickItem* item) const;
    QQuickItem* nearestControl(QQuickItem* anchor) const;

    QPointer<QQuickItem> area_;
    QPointer<QQuickWindow> window_;
    QPointer<QQuickItem> followed_;
    QList<QMetaObject::Connection> followedSignals_;
    // The lost control and the items that held it, innermost first, as they were when it went.
    QList<QPointer<QQuickItem>> lostPlace_;
    bool handOnPending_ = false;
};
