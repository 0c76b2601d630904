#include "tests/support/PrivateSessionBus.h"

#include <gtest/gtest.h>

namespace {

// Every suite test runs against a session bus of its own, started before anything connects.
class PrivateSessionBusEnvironment final : public ::testing::Environment {
public:
    void SetUp() override { PrivateSessionBus::instance(); }
};

[[maybe_unused]] const auto* const privateBus = ::testing::AddGlobalTestEnvironment(new PrivateSessionBusEnvironment);

} // namespace
