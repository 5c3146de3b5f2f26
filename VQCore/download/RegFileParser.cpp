#include "VQCore/download/RegFileParser.h"

#include <cwchar>

namespace Tessar {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// The end of the line that starts at at (its CR LF or LF not included);
// next is set to the start of the following line, or to the final NUL.
const wchar_t* FindLineEnd(const wchar_t* at, const wchar_t*& next) {
    const wchar_t* p = at;
    while (*p != L'\0' && *p != L'\n')
        ++p;
    next = *p != L'\0' ? p + 1 : p;
    if (p > at && p[-1] == L'\r')
        --p;
    return p;
}

const wchar_t* TrimRight(const wchar_t* begin, const wchar_t* end) {
    while (end > begin && IsBlank(end[-1]))
        --end;
    return end;
}

// The first "=" outside double quotes; inside quotes a backslash escapes
// the next character, so a name ending in an escaped backslash still ends
// at its quote.
const wchar_t* FindSeparator(const wchar_t* begin, const wchar_t* end) {
    bool inQuotes = false;
    for (const wchar_t* p = begin; p < end; ++p) {
        if (inQuotes) {
            if (*p == L'\\' && p + 1 < end)
                ++p;
            else if (*p == L'"')
                inQuotes = false;
        } else if (*p == L'"') {
            inQuotes = true;
        } else if (*p == L'=') {
            return p;
        }
    }
    return nullptr;
}

bool Contains(const wchar_t* begin, const wchar_t* end, const wchar_t* word) {
    size_t length = std::wcslen(word);
    for (const wchar_t* p = begin; p + length <= end; ++p)
        if (std::wmemcmp(p, word, length) == 0)
            return true;
    return false;
}

}  // namespace

bool ParseRegFileText(const wchar_t* text, VQRegFileParser<wchar_t>* sink) {
    if (text == nullptr || sink == nullptr)
        return false;
    const wchar_t* next = nullptr;
    FindLineEnd(text, next);  // the header line
    const wchar_t* at = next;
    while (*at != L'\0') {
        const wchar_t* end = TrimRight(at, FindLineEnd(at, next));
        const wchar_t* begin = at;
        while (begin < end && IsBlank(*begin))
            ++begin;
        at = next;
        if (begin == end || *begin == L';' || *begin == L'#')
            continue;
        if (*begin == L'[') {
            // A key line that does not close would send its values to the
            // key before it.
            if (end - begin < 2 || end[-1] != L']')
                return false;
            sink->OnKeyLine(begin + 1, end - 1);
            continue;
        }
        const wchar_t* separator = FindSeparator(begin, end);
        if (separator == nullptr)
            continue;
        const wchar_t* dataBegin = separator + 1;
        while (dataBegin < end && IsBlank(*dataBegin))
            ++dataBegin;
        sink->OnValueName(begin, TrimRight(begin, separator));
        if (end[-1] != L'\\') {
            sink->OnValueData(dataBegin, end);
            continue;
        }
        // Only hex lists and numbers continue; anything else ending in a
        // backslash is a string that never closed.
        if (*dataBegin == L'"' || !(Contains(dataBegin, end, L"hex") || Contains(dataBegin, end, L"dword")))
            sink->OnValueName(begin, separator);
        const wchar_t* dataEnd = end;
        while (dataEnd[-1] == L'\\' && *at != L'\0') {
            const wchar_t* lineEnd = TrimRight(at, FindLineEnd(at, next));
            const wchar_t* lineBegin = at;
            while (lineBegin < lineEnd && IsBlank(*lineBegin))
                ++lineBegin;
            if (lineBegin == lineEnd)
                break;  // an empty line ends the list; the loop goes on after it
            at = next;
            dataEnd = lineEnd;
        }
        sink->OnValueData(dataBegin, dataEnd);
    }
    return true;
}

}  // namespace Tessar
