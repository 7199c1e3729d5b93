#pragma once
// How a page tells the user that a store refused a change: by the store's own reason when the
// store gave one (a rule the change broke, or why its file couldn't be saved), else by the
// page's fixed sentence.

#include "Core/Error.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <exception>
#include <functional>

// Runs the change; empty when it went through, else the text to show under the control.
inline QString refusalOf(const std::function<void()>& change, const QString& otherwise)
{
    try {
        change();
    } catch (const Error& error) {
        return error.description();
    } catch (const std::exception&) {
        return otherwise;
    }
    return {};
}

// Makes `held` the store `store` from now on, with the owner's `changed` following what the store
// says about its file and about a change of the page's that another instance's won over; false
// when it was held already.
template <typename Store, typename Owner>
bool holdStore(QPointer<Store>& held, Store* store, Owner* owner, void (Owner::*changed)())
{
    if (held == store)
        return false;
    if (held)
        QObject::disconnect(held, nullptr, owner, nullptr);
    held = store;
    if (store) {
        QObject::connect(store, &Store::problemChanged, owner, changed);
        QObject::connect(store, &Store::lostChangeChanged, owner, changed);
    }
    return true;
}

// The line under the control: the page's own refusal, else what the store says about its file,
// else that another instance's change won over the page's.
template <typename Store>
QString shownProblem(const QString& refusal, const Store* store)
{
    if (!refusal.isEmpty() || !store)
        return refusal;
    return store->problem().isEmpty() ? store->lostChange() : store->problem();
}
