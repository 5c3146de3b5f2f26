#include "VQCore/app/operations/WebGameBrowser.h"

#include <windows.h>
#include <shellapi.h>

#include "VQCore/gamelib/AppPaths.h"

namespace Tessar {

std::wstring QuoteArgument(const std::wstring& prefix, const std::wstring& value) {
    // The rules of CommandLineToArgvW: backslashes before a quote are
    // doubled and the quote escaped; those before the closing quote doubled.
    std::wstring quoted = L"\"" + prefix;
    size_t backslashes = 0;
    for (wchar_t c : value) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            quoted.append(backslashes * 2 + 1, L'\\');
        } else {
            quoted.append(backslashes, L'\\');
        }
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

std::wstring BrowserParameters(const std::wstring& url, const std::wstring& name, const std::wstring& homePage) {
    std::wstring parameters = QuoteArgument(L"-url=", url);
    if (!name.empty()) parameters += L" " + QuoteArgument(L"-name=", name);
    if (!homePage.empty()) parameters += L" " + QuoteArgument(L"-homepage=", homePage);
    return parameters;
}

bool StartWebGameBrowser(const std::wstring& url, const std::wstring& name, const std::wstring& homePage,
                         const std::wstring& browserPath) {
    if (url.empty()) return false;
    const std::wstring program = browserPath.empty() ? GetBrowserPath() : browserPath;
    const std::wstring parameters = BrowserParameters(url, name, homePage);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // A missing browser is reported by the result, not by a shell message
    // box the click would wait on.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = GetActiveWindow();
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return false;
    return reinterpret_cast<INT_PTR>(info.hInstApp) > 32;
}

}  // namespace Tessar
