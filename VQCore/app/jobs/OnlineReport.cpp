#include "VQCore/app/jobs/OnlineReport.h"

#include "VQCore/app/mainwindow/MarloxWnd.h"
#include "VQCore/app/start/StartupChecks.h"
#include "VQCore/app/jobs/UpdateSchedule.h"
#include "common/AdapterCollector.h"
#include "common/CodePage.h"
#include "common/DiskSerial.h"
#include "common/FormatText.h"
#include "common/HttpGetter.h"
#include "common/ServerAddresses.h"
#include "common/TextUtil.h"

namespace Tessar {

namespace {

const wchar_t kNoAdapter[] = L"000000000000";

// Letters, digits and "-._~" pass; every other byte of the system code
// page's text becomes %XX.
std::wstring EscapeQueryValue(const std::wstring& value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::wstring escaped;
    for (unsigned char c : WideToNarrow(value)) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
                           c == '.' || c == '_' || c == '~';
        if (plain) {
            escaped += static_cast<wchar_t>(c);
        } else {
            escaped += L'%';
            escaped += static_cast<wchar_t>(kHex[c >> 4]);
            escaped += static_cast<wchar_t>(kHex[c & 15]);
        }
    }
    return escaped;
}

}  // namespace

std::wstring MakeOnlineReportRequest(const std::wstring& mac, const std::wstring& diskId) {
    std::wstring disk = diskId;
    TrimLeftChars(disk, L" \r\t\n");
    TrimRightChars(disk, L" \r\t\n");
    const std::wstring version = FormatString(L"%d.%d", kRequestVersionMajor, kRequestVersionMinor);
    return FormatString(L"%s?%s=%s&%s=%s&%s=%s", GetEndpointUrl(kOnlineStatEndpoint).c_str(), L"mac",
                        (mac.empty() ? kNoAdapter : mac.c_str()), L"diskid", EscapeQueryValue(disk).c_str(), L"ver",
                        version.c_str());
}

bool SendOnlineReport(HWND window, uint32_t& retries) {
    if (window == nullptr) return false;
    AdapterCollector adapters;
    const std::wstring request = MakeOnlineReportRequest(adapters.PickMachineMac(), GetDiskId());
    const bool sent = HttpPing(WideToNarrow(request));
    if (sent) StampSettingNow(L"ReportOnlineTime");
    const UINT delayMs = PlanAfterReport(sent, retries, NowSeconds());
    PostMessageW(window, kMsgArmTimer, kTimerOnlineReport, static_cast<LPARAM>(delayMs));
    return sent;
}

}  // namespace Tessar
