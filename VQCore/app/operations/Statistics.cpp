#include "VQCore/app/operations/Statistics.h"

#include "common/HttpGetter.h"
#include "common/ServerAddresses.h"
#include "common/CodePage.h"
#include "common/FormatText.h"

#include <windows.h>

#include <new>

namespace Tessar {

std::wstring MakeStatisticUrl(uint32_t type, uint32_t gameId, const std::wstring& extra) {
    static const VQEndpoint kEndpointOfType[] = {kDownloadCompleteEndpoint, kInstallCompleteEndpoint,
                                                 kClickRegisterEndpoint};
    if (type >= sizeof(kEndpointOfType) / sizeof(kEndpointOfType[0])) return std::wstring();
    std::wstring url = MakeSoftRequest(kEndpointOfType[type]);
    if (url.empty()) return url;
    url += FormatString(L"&id=%05u", gameId);
    return url + extra;
}

bool ReportStatistic(uint32_t type, uint32_t gameId, const std::wstring& extra) {
    const std::wstring url = MakeStatisticUrl(type, gameId, extra);
    if (url.empty()) return false;
    return HttpPing(WideToNarrow(url));
}

namespace {

DWORD WINAPI SendStatistic(void* argument) {
    std::wstring* url = static_cast<std::wstring*>(argument);
    HttpPing(WideToNarrow(*url));
    delete url;
    return 0;
}

}  // namespace

bool ReportStatisticInBackground(uint32_t type, uint32_t gameId, const std::wstring& extra) {
    std::wstring* url = new (std::nothrow) std::wstring(MakeStatisticUrl(type, gameId, extra));
    if (url == nullptr) return false;
    if (url->empty()) {
        delete url;
        return false;
    }
    HANDLE thread = ::CreateThread(nullptr, 0, &SendStatistic, url, 0, nullptr);
    if (thread == nullptr) {
        delete url;
        return false;
    }
    ::CloseHandle(thread);
    return true;
}

}  // namespace Tessar
