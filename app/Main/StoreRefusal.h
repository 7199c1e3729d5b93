#pragma once
// How a page tells the user that a store refused a change: by the store's own reason when the
// store gave one (a rule the change broke, or why its file couldn't be saved), else by the
// page's fixed sentence.

#include "Core/Error.h"

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
