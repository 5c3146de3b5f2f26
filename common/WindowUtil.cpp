#include "common/WindowUtil.h"

#include <vector>

namespace Tessar {

std::wstring GetWindowTextString(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    if (length < 1)
        return std::wstring();
    // The length may be short for some controls; give the text room.
    int limit = 2 * length;
    std::vector<wchar_t> buffer(static_cast<size_t>(limit) + 1, L'\0');
    int copied = ::GetWindowTextW(window, buffer.data(), limit);
    if (copied < 0 || copied > limit)
        return std::wstring();
    return std::wstring(buffer.data(), static_cast<size_t>(copied));
}

BOOL CenterWindow(HWND window) {
    RECT area;
    RECT reference;
    LONG style = ::GetWindowLongW(window, GWL_STYLE);
    if ((style & WS_CHILD) != 0) {
        // Client coordinates of the parent are what SetWindowPos takes.
        ::GetClientRect(::GetParent(window), &area);
        reference = area;
    } else {
        HWND owner = ::GetWindow(window, GW_OWNER);
        if (owner != nullptr) {
            LONG ownerStyle = ::GetWindowLongW(owner, GWL_STYLE);
            if ((ownerStyle & WS_VISIBLE) == 0 || (ownerStyle & WS_MINIMIZE) != 0)
                owner = nullptr;
        }
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        if (owner != nullptr)
            ::GetWindowRect(owner, &reference);
        else
            reference = area;
    }

    RECT own;
    ::GetWindowRect(window, &own);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    int x = (reference.left + reference.right) / 2 - width / 2;
    int y = (reference.top + reference.bottom) / 2 - height / 2;
    if (x < area.left)
        x = area.left;
    else if (x + width > area.right)
        x = area.right - width;
    if (y < area.top)
        y = area.top;
    else if (y + height > area.bottom)
        y = area.bottom - height;
    return ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace Tessar
