#pragma once
// The marker files of the upgrade work folder: a record of fields, each
// ended by ";", as UTF-16LE text (no byte-order mark, no terminator),
// padded with zero bytes to a multiple of 8 and enciphered with the file
// cipher. A file that is missing, empty, not a multiple of 8 long or
// written under another key reads as empty text, and readers treat that as
// no marker.

#include <string>
#include <vector>

namespace Tessar {

extern const wchar_t kDownloadMarkerName[];  // L"download.vqt"
extern const wchar_t kStartupMarkerName[];   // L"startup.vqt"
extern const wchar_t kUpgradeMarkerName[];   // L"upgrade.vqt"
extern const wchar_t kRestartMarkerName[];   // L"restart.vqt"
extern const wchar_t kMarkerRunWord[];       // L"RUN": upgrade and restart records
extern const wchar_t kMarkerDeleteWord[];    // L"DELETE": the start-up clean-up record

// Makes the file's folder when missing. The file is replaced whole, so a
// failed write never leaves half a marker; true only when all was written.
bool WriteMarkerFile(const std::wstring& path, const std::wstring& text);
// Writes the record over an existing file in place (and flushes it), for
// a file that another program holds open so that it cannot be replaced.
// Only for a record whose first field alone says what it means: a stop
// half-way may leave the old record's tail behind the new one.
bool OverwriteMarkerFile(const std::wstring& path, const std::wstring& text);
std::wstring ReadMarkerFile(const std::wstring& path);

// Every ";" ends a field; empty fields are kept; text after the last ";"
// is a last field.
void SplitList(const std::wstring& text, std::vector<std::wstring>& fields);
// Each field followed by ";".
std::wstring JoinList(const std::vector<std::wstring>& fields);

// "RUN" and exactly three fields, the record ending with ";": the form of
// upgrade.vqt and restart.vqt. False for anything else.
bool SplitRunRecord(const std::wstring& text, std::wstring& first, std::wstring& second, std::wstring& third);

}  // namespace Tessar
