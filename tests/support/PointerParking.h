#pragma once
// The virtual display has one mouse pointer, shared by every window test
// program running at the same time. Tests drive their windows with posted
// input only; a real pointer resting over a test window would add real
// mouse moves of its own. Window test programs park it in the screen's
// bottom-right corner, where no test window lies, before their tests run.

#include <windows.h>

#include <gtest/gtest.h>

namespace Tessar {
namespace Test {

class VQPointerParking : public ::testing::Environment {
public:
    void SetUp() override { Park(); }

    static POINT ParkingPlace() {
        return {::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1};
    }
    static void Park() {
        const POINT place = ParkingPlace();
        ::SetCursorPos(place.x, place.y);
    }
};

}  // namespace Test
}  // namespace Tessar
