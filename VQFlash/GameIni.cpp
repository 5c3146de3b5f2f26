// The Flash game's .ini and the window sizes the player derives from it.
#include "VQFlash/FlashWnd.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "common/FileUtil.h"
#include "common/PathText.h"

namespace Tessar {

namespace {

const DWORD kIniValueLength = 260;

std::wstring ReadIniValue(const std::wstring& path, const wchar_t* key) {
    wchar_t buffer[kIniValueLength] = {};
    ::GetPrivateProfileStringW(L"main", key, L"", buffer, kIniValueLength, path.c_str());
    return buffer;
}

bool IsRelativePath(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') return false;
    if (!path.empty() && (path[0] == L'\\' || path[0] == L'/')) return false;
    return true;
}

// Decimal digits from the start (0 without any); an absurd number stays
// at the int range rather than wrapping.
int ReadDecimal(const std::wstring& text) {
    long long value = 0;
    size_t i = 0;
    while (i < text.size() && std::iswspace(text[i])) ++i;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > 0x7FFFFFFF) return 0x7FFFFFFF;
    }
    return static_cast<int>(value);
}

}  // namespace

bool ReadGameIni(const std::wstring& iniPath, std::wstring& name, std::wstring& movie, std::wstring& help, int& width,
                 int& height) {
    width = 0;
    height = 0;
    if (!FileExists(iniPath)) return false;
    name = ReadIniValue(iniPath, L"name");
    movie = ReadIniValue(iniPath, L"swf");
    help = ReadIniValue(iniPath, L"help");
    const std::wstring widthText = ReadIniValue(iniPath, L"width");
    const std::wstring heightText = ReadIniValue(iniPath, L"height");
    if (movie.empty()) return false;
    const std::wstring folder = GetFullPathFolder(iniPath);
    if (IsRelativePath(movie)) movie = CombinePath(folder, movie);
    if (!help.empty() && IsRelativePath(help)) help = CombinePath(folder, help);
    if (!FileExists(movie)) return false;
    if (!widthText.empty()) width = ReadDecimal(widthText);
    if (!heightText.empty()) height = ReadDecimal(heightText);
    return true;
}

SIZE FlashWindowSize(int width, int height) {
    if (width > 0 && width < 1024 && height > 0 && height < 768) return {width + 10, height + 81};
    return {800, 600};
}

bool ZoomWindowRect(const RECT& window, const RECT& workArea, bool maximized, bool in, RECT& result) {
    const int w = window.right - window.left;
    const int h = window.bottom - window.top;
    const int workW = workArea.right - workArea.left;
    const int workH = workArea.bottom - workArea.top;
    int newW = w;
    int newH = h;
    if (in) {
        if (maximized) return false;
        if (window.left == workArea.left && window.top == workArea.top && w == workW && h == workH) return false;
        if (w >= 1024 || h >= 768) {
            newW = workW;
            newH = workH;
        } else if (w >= 800 || h >= 600) {
            newW = 1024;
            newH = 768;
        } else {
            newW = 800;
            newH = 600;
        }
    } else {
        if (w == 800 && h == 600) return false;
        if (w > 1024 || h > 768) {
            newW = 1024;
            newH = 768;
        } else if (w <= 800 && h <= 600) {
            newW = w;
            newH = h;
        } else {
            newW = 800;
            newH = 600;
        }
    }
    newW = std::min(newW, workW);
    newH = std::min(newH, workH);
    const int centreX = window.left + w / 2;
    const int centreY = window.top + h / 2;
    int left = centreX - newW / 2;
    int top = std::max(0, centreY - newH / 2);
    result = {left, top, left + newW, top + newH};
    return !(result.left == window.left && result.top == window.top && result.right == window.right &&
             result.bottom == window.bottom);
}

bool ZoomFullScreenInset(const RECT& frame, const RECT& movie, bool in, POINT& inset) {
    const int frameW = frame.right - frame.left;
    const int frameH = frame.bottom - frame.top;
    const int h = frameW / 2;
    const int v = frameH / 2;
    const int movieW = movie.right - movie.left;
    const int movieH = movie.bottom - movie.top;
    if (in) {
        if (movieW < 800 || movieH < 550 || (movieW >= frameW && movieH >= frameH)) return false;
        if (movieW < 1024 || movieH < 718)
            inset = {h - 512, v - 359};
        else
            inset = {1, 1};
    } else {
        if (movieW > 1024 || movieH > 718)
            inset = {h - 512, v - 358};
        else if (movieW <= 800 && movieH <= 550)
            return false;
        else
            inset = {h - 400, v - 275};
    }
    // A screen smaller than the step leaves no room to inset.
    inset.x = std::max<LONG>(1, inset.x);
    inset.y = std::max<LONG>(1, inset.y);
    return true;
}

}  // namespace Tessar
