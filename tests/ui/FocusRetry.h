#pragma once
// Drop-down lists and menus stay open only while they keep the focus, and
// another test program in the same Wine prefix may take the foreground at
// any moment. A test step that needs such a window open runs as an attempt
// that answers false when the window closed under it; it runs again then.

#include <functional>

namespace Tessar {
namespace Test {

inline bool RunUndisturbed(const std::function<bool()>& attempt, int attempts = 3) {
    for (int i = 0; i < attempts; ++i)
        if (attempt()) return true;
    return false;
}

}  // namespace Test
}  // namespace Tessar
