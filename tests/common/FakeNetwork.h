#pragma once
// Iphlpapi and netapi32 as a test wants them: a network source whose
// libraries hand out these functions, answering from one FakeNetwork at a
// time. Wine has no adapter connection keys and only one transport.

#include "common/AdapterCollector.h"

#include <lm.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace Tessar {
namespace Test {

struct FakeAdapter {
    std::string name;
    std::string description;
    std::vector<uint8_t> address;  // AddressLength is its size
    DWORD index;
    std::string ip, mask, gateway;
};

struct FakeInterfaceRow {
    DWORD operStatus;
    DWORD inOctets;
};

struct FakeTransport {
    const wchar_t* name;     // may be null
    const wchar_t* address;  // may be null
};

class FakeNetwork {
public:
    FakeNetwork();
    ~FakeNetwork();
    FakeNetwork(const FakeNetwork&) = delete;
    FakeNetwork& operator=(const FakeNetwork&) = delete;

    // Functions of the fake libraries; the registry root is the given key.
    VQNetworkSource Source(HKEY registryRoot = nullptr);

    bool hasIphlpapi = true;
    bool hasNetapi = true;
    std::set<std::string> missingFunctions;
    std::vector<FakeAdapter> adapters;
    ULONG failingAdapterCall = 0;  // 1-based number of the GetAdaptersInfo call to fail
    std::map<DWORD, FakeInterfaceRow> rows;  // an index without a row fails GetIfEntry
    std::vector<FakeTransport> transports;
    NET_API_STATUS transportStatus = NERR_Success;
    bool transportBufferOnFailure = false;

    // What the code did.
    int loads = 0;
    int frees = 0;
    int bufferFrees = 0;
    ULONG adapterCalls = 0;
    std::vector<std::wstring> loadedNames;
    bool transportArgumentsAsExpected = true;
    std::vector<DWORD> ifEntryIndexes;
    std::map<void*, void*> blocks;  // transport buffers not yet freed

private:
    static ULONG WINAPI GetAdaptersInfo(PIP_ADAPTER_INFO buffer, PULONG size);
    static DWORD WINAPI GetIfEntry(PMIB_IFROW row);
    static NET_API_STATUS WINAPI NetWkstaTransportEnum(LMSTR server, DWORD level, LPBYTE* buffer, DWORD maximum,
                                                       LPDWORD read, LPDWORD total, LPDWORD resume);
    static NET_API_STATUS WINAPI NetApiBufferFree(LPVOID buffer);
    static FakeNetwork* s_current;
};

}  // namespace Test
}  // namespace Tessar
