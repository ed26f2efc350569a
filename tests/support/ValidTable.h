// The engine's invariants (support/Invariants.h) as a GoogleTest assertion,
// for the application tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/Solitaire.h"
#include "support/Invariants.h"

// Success while the game keeps every invariant, else what is broken.
inline ::testing::AssertionResult validTable(const sol::Game& g) {
    const std::string broken = checks::invariantViolation(g.state);
    if (broken.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << broken;
}
