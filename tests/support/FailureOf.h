#pragma once
// The kind of error an operation fails with, for tests of validation rules.

#include <gtest/gtest.h>

#include <functional>

// The kind of the ErrorType the operation throws; a test failure when it throws none.
template <typename ErrorType>
typename ErrorType::Kind failureOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const ErrorType& error) {
        return error.kind();
    }
    ADD_FAILURE() << "no error was thrown";
    return {};
}
