#include "common/TextUtil.h"

#include <windows.h>

namespace Tessar {

const wchar_t kWhiteSpace[] = L" \r\t\n";

wchar_t ToUpperChar(wchar_t c) {
    ::CharUpperBuffW(&c, 1);
    return c;
}

wchar_t ToLowerChar(wchar_t c) {
    ::CharLowerBuffW(&c, 1);
    return c;
}

namespace {

int CompareUpper(wchar_t a, wchar_t b) {
    wchar_t ua = ToUpperChar(a);
    wchar_t ub = ToUpperChar(b);
    return ua == ub ? 0 : (ua < ub ? -1 : 1);
}

}  // namespace

int PrefixCompareNoCase(const std::wstring& a, const std::wstring& b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        if (int result = CompareUpper(a[i], b[i]))
            return result;
    }
    return 0;
}

int CompareNoCase(const std::wstring& a, const std::wstring& b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        wchar_t ca = i < a.size() ? a[i] : L'\0';
        wchar_t cb = i < b.size() ? b[i] : L'\0';
        if (int result = CompareUpper(ca, cb))
            return result;
        if (ca == L'\0')
            return 0;
    }
    return 0;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to) {
    if (from.empty())
        return;
    for (size_t pos = text.find(from); pos != std::wstring::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
}

void ReplaceChar(std::wstring& text, wchar_t from, wchar_t to) {
    for (wchar_t& c : text) {
        if (c == from)
            c = to;
    }
}

void TrimLeftChars(std::wstring& text, const std::wstring& set) {
    size_t pos = text.find_first_not_of(set);
    text.erase(0, pos == std::wstring::npos ? text.size() : pos);
}

void TrimRightChars(std::wstring& text, const std::wstring& set) {
    size_t pos = text.find_last_not_of(set);
    text.erase(pos == std::wstring::npos ? 0 : pos + 1);
}

void MakeUpper(std::wstring& text) {
    for (wchar_t& c : text)
        c = ToUpperChar(c);
}

void MakeLower(std::wstring& text) {
    for (wchar_t& c : text)
        c = ToLowerChar(c);
}

std::wstring LeftText(const std::wstring& text, int n) {
    if (n < 0)
        return std::wstring();
    return text.substr(0, static_cast<size_t>(n));
}

std::wstring RightText(const std::wstring& text, int n) {
    if (n < 0)
        return std::wstring();
    if (static_cast<size_t>(n) >= text.size())
        return text;
    return text.substr(text.size() - static_cast<size_t>(n));
}

std::wstring SafeSubstring(const std::wstring& text, int start, int count) {
    if (start < 0 || static_cast<size_t>(start) >= text.size() || count < 0)
        return std::wstring();
    return text.substr(static_cast<size_t>(start), static_cast<size_t>(count));
}

std::wstring TakeToken(std::wstring& text, const std::wstring& separator) {
    if (text.empty() || separator.empty())
        return std::wstring();
    size_t pos = text.find(separator);
    std::wstring token;
    if (pos == std::wstring::npos) {
        token.swap(text);
        return token;
    }
    token = text.substr(0, pos);
    text.erase(0, pos + separator.size());
    return token;
}

std::wstring StripQuotes(const std::wstring& text) {
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        return text.substr(1, text.size() - 2);
    return text;
}

bool WildcardMatch(const wchar_t* text, const wchar_t* pattern, bool ignoreCase) {
    if (text == nullptr || pattern == nullptr)
        return false;
    auto same = [ignoreCase](wchar_t a, wchar_t b) {
        return ignoreCase ? ToLowerChar(a) == ToLowerChar(b) : a == b;
    };
    // Greedy with one back-track point: the last star seen.
    const wchar_t* starPattern = nullptr;
    const wchar_t* starText = nullptr;
    while (*text != L'\0') {
        if (*pattern == L'*') {
            starPattern = ++pattern;
            starText = text;
        } else if (*pattern != L'\0' && (*pattern == L'?' || same(*pattern, *text))) {
            ++pattern;
            ++text;
        } else if (starPattern != nullptr) {
            pattern = starPattern;
            text = ++starText;
        } else {
            return false;
        }
    }
    while (*pattern == L'*')
        ++pattern;
    return *pattern == L'\0';
}

void SplitAtChar(const std::wstring& text, wchar_t separator, std::vector<std::wstring>& parts) {
    SplitAtAnyOf(text, std::wstring(1, separator), parts);
}

void SplitAtAnyOf(const std::wstring& text, const std::wstring& separators, std::vector<std::wstring>& parts) {
    parts.clear();
    size_t start = 0;
    for (;;) {
        size_t pos = text.find_first_of(separators, start);
        if (pos == std::wstring::npos) {
            if (start < text.size())
                parts.push_back(text.substr(start));
            return;
        }
        parts.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
}

void SplitCommandLine(const std::wstring& text, std::vector<std::wstring>& args) {
    args.clear();
    std::wstring current;
    bool inArgument = false;
    bool quoted = false;
    auto finish = [&]() {
        if (!current.empty())
            args.push_back(current);
        current.clear();
        inArgument = false;
    };
    for (wchar_t c : text) {
        if (!inArgument) {
            if (c == L' ')
                continue;
            inArgument = true;
            quoted = c == L'"';
            current = c;
        } else if (!quoted) {
            if (c == L' ')
                finish();
            else
                current += c;
        } else if (c == L'"') {
            bool escaped = current.back() == L'\\';
            current += c;
            if (!escaped)
                finish();
        } else if (c == L' ' && current.size() >= 2 && current.back() == L'"' &&
                   current[current.size() - 2] != L'\\') {
            finish();
        } else {
            current += c;
        }
    }
    finish();
}

}  // namespace Tessar
