#pragma once
// How a page tells the user that a store refused a change: by the store's own reason when the
// store gave one, else by the page's fixed sentence.

#include <QString>

#include <exception>
#include <functional>

// Runs the change; empty when it went through, else the text to show under the control.
template <typename StoreError>
QString refusalOf(const std::function<void()>& change, const QString& otherwise)
{
    try {
        change();
    } catch (const StoreError& error) {
        return error.description();
    } catch (const std::exception&) {
        return otherwise;
    }
    return {};
}
