#pragma once
// The daily online report: one GET to the statistics server naming the
// machine (adapter address, disk id) and the program version. It runs on
// the thread of timer 1004; the next firing is handed back to the window
// by a posted message, since a timer can only be armed by its window's
// own thread.

#include <windows.h>

#include <cstdint>
#include <string>

namespace Tessar {

// "online_stat.php?mac=..&diskid=..&ver=1.7" on the statistics server; a
// missing adapter gives twelve zeros, the disk id loses surrounding blanks
// and is escaped so that inner blanks do not split the request line.
std::wstring MakeOnlineReportRequest(const std::wstring& mac, const std::wstring& diskId);

// Sends one report and stamps ReportOnlineTime when it went through; then
// posts kMsgArmTimer for timer 1004 with the next wait to the window.
// retries is the window's counter of failures in a row. False when not sent.
bool SendOnlineReport(HWND window, uint32_t& retries);

}  // namespace Tessar
