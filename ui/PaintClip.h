#pragma once
// What the containers' painting shares: drawing limited to a rectangle,
// and whether two rectangles meet.

#include <windows.h>

namespace Tessar {

// Limits drawing to `rc` until the returned state is restored (RestoreDC).
inline int ClipTo(HDC hdc, const RECT& rc) {
    int saved = ::SaveDC(hdc);
    ::IntersectClipRect(hdc, rc.left, rc.top, rc.right, rc.bottom);
    return saved;
}

inline bool Meets(const RECT& a, const RECT& b) {
    RECT tmp;
    return ::IntersectRect(&tmp, &a, &b) != FALSE;
}

}  // namespace Tessar
