#include "tests/support/PointerParking.h"

namespace {
::testing::Environment* const kPointerParking =
    ::testing::AddGlobalTestEnvironment(new Tessar::Test::VQPointerParking);
}  // namespace
