#pragma once
// Comparing, trimming, cutting, matching and splitting wide texts.

#include <string>
#include <vector>

namespace Tessar {

extern const wchar_t kWhiteSpace[];  // L" \r\t\n"

// Case-insensitive over the length of the shorter text: 0 when one begins
// the other (so an empty text equals every text).
int PrefixCompareNoCase(const std::wstring& a, const std::wstring& b);
// Case-insensitive comparison of at most n characters.
int CompareNoCase(const std::wstring& a, const std::wstring& b, size_t n);
bool StartsWith(const std::wstring& text, const std::wstring& prefix);

// Every occurrence, scanning on after each replacement; an empty search
// text changes nothing.
void ReplaceAll(std::wstring& text, const std::wstring& from, const std::wstring& to);
void ReplaceChar(std::wstring& text, wchar_t from, wchar_t to);
void TrimLeftChars(std::wstring& text, const std::wstring& set);
void TrimRightChars(std::wstring& text, const std::wstring& set);
void MakeUpper(std::wstring& text);
void MakeLower(std::wstring& text);
wchar_t ToUpperChar(wchar_t c);
wchar_t ToLowerChar(wchar_t c);

// Negative n gives an empty text, n beyond the length the whole text.
std::wstring LeftText(const std::wstring& text, int n);
std::wstring RightText(const std::wstring& text, int n);
// Empty when start lies outside the text or count is negative; a count
// past the end takes the rest.
std::wstring SafeSubstring(const std::wstring& text, int start, int count);
// Returns the part before the first separator and leaves the rest in text;
// without one returns the whole text and leaves text empty.
std::wstring TakeToken(std::wstring& text, const std::wstring& separator);
// Removes one pair of surrounding double quotes.
std::wstring StripQuotes(const std::wstring& text);

// "*" any run, "?" one character; null text or pattern gives false.
bool WildcardMatch(const wchar_t* text, const wchar_t* pattern, bool ignoreCase);

// Empty parts are kept, except after a trailing separator.
void SplitAtChar(const std::wstring& text, wchar_t separator, std::vector<std::wstring>& parts);
// The same, splitting at every character of the set.
void SplitAtAnyOf(const std::wstring& text, const std::wstring& separators, std::vector<std::wstring>& parts);
// Splits at blanks outside double quotes; quotes and backslashes stay in
// the arguments as they are.
void SplitCommandLine(const std::wstring& text, std::vector<std::wstring>& args);

}  // namespace Tessar
