#include "common/WebAddress.h"

#include "common/HttpRequest.h"
#include "common/TextUtil.h"

#include <shellapi.h>

namespace Tessar {

namespace {

const wchar_t* const kWebSchemes[] = {L"http://", L"https://"};

}  // namespace

bool IsWebAddress(const std::wstring& text) {
    if (!IsSafeHttpText(text) || text.find(L'"') != std::wstring::npos)
        return false;
    for (const wchar_t* scheme : kWebSchemes) {
        const std::wstring prefix(scheme);
        if (text.size() <= prefix.size() || CompareNoCase(text, prefix, prefix.size()) != 0)
            continue;
        // The host runs to the first '/', '?' or '#'; it must not be empty.
        const size_t hostEnd = text.find_first_of(L"/?#", prefix.size());
        return hostEnd != prefix.size();
    }
    return false;
}

bool OpenWebAddress(const std::wstring& address, HWND owner, const wchar_t* verb) {
    if (!IsWebAddress(address))
        return false;
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.hwnd = owner;
    info.lpVerb = verb;
    info.lpFile = address.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&info) != FALSE;
}

}  // namespace Tessar
