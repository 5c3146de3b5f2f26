#include "tests/support/ProcessWindow.h"

#include <cwchar>

namespace Tessar {
namespace Test {

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    bool shownOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(hwnd, &processId);
    if (processId != search->processId || (search->shownOnly && !::IsWindowVisible(hwnd))) return TRUE;
    if (search->className != nullptr) {
        wchar_t name[256] = {};
        ::GetClassNameW(hwnd, name, 256);
        if (_wcsicmp(name, search->className) != 0) return TRUE;
    }
    search->found = hwnd;
    return FALSE;
}

}  // namespace

HWND FindWindowOfProcess(DWORD processId, const wchar_t* className, bool shownOnly) {
    WindowSearch search = {processId, className, shownOnly, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace Test
}  // namespace Tessar
