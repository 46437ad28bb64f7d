// The code of the run-time error an action raises, for checking failures.
#pragma once

#include <gtest/gtest.h>

#include "runtime/errors.h"

namespace orn::test {

// Runs action and returns the code of the RuntimeError it throws; a test
// failure when it throws none.
template <typename Action>
ErrorCode error_of(Action action) {
    try {
        action();
    } catch (const RuntimeError& error) {
        return error.code();
    }
    ADD_FAILURE() << "no run-time error";
    return ErrorCode{};
}

}  // namespace orn::test
