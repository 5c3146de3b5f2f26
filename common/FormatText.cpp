#include "common/FormatText.h"

#include <cstdio>
#include <cwchar>
#include <vector>

namespace Tessar {

std::wstring FormatStringV(const wchar_t* format, va_list args) {
    if (format == nullptr)
        return std::wstring();
    // Most texts fit the first buffer; the runtime returns -1 when not.
    wchar_t buffer[1024];
    va_list copy;
    va_copy(copy, args);
    int written = _vsnwprintf(buffer, 1023, format, copy);
    va_end(copy);
    if (written >= 0)
        return std::wstring(buffer, static_cast<size_t>(written));

    va_copy(copy, args);
    int needed = _vscwprintf(format, copy);
    va_end(copy);
    if (needed < 0 || static_cast<size_t>(needed) > kMaxFormatChars)
        return std::wstring();
    std::vector<wchar_t> large(static_cast<size_t>(needed) + 1);
    va_copy(copy, args);
    written = _vsnwprintf(large.data(), large.size(), format, copy);
    va_end(copy);
    if (written < 0)
        return std::wstring();
    return std::wstring(large.data(), static_cast<size_t>(written));
}

std::wstring FormatString(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring text = FormatStringV(format, args);
    va_end(args);
    return text;
}

namespace {

// The runtime's bounded formatting into a caller's array, always terminated.
template <typename Char, size_t N>
int FormatBounded(Char (&buffer)[N], int (*format)(Char*, size_t, const Char*, va_list), const Char* text,
                  va_list args) {
    int written = text != nullptr ? format(buffer, N - 1, text, args) : -1;
    if (text == nullptr)
        buffer[0] = 0;
    buffer[N - 1] = 0;
    return written >= 0 && static_cast<size_t>(written) < N ? written : -1;
}

}  // namespace

int FormatNarrow256(char (&buffer)[256], const char* format, ...) {
    va_list args;
    va_start(args, format);
    int written = FormatBounded(buffer, &_vsnprintf, format, args);
    va_end(args);
    return written;
}

int FormatWide80(wchar_t (&buffer)[80], const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int written = FormatBounded(buffer, &_vsnwprintf, format, args);
    va_end(args);
    return written;
}

}  // namespace Tessar
