#include "common/AdapterCollector.h"

#include "common/Registry.h"

#include "tests/common/FakeNetwork.h"
#include "tests/support/ScratchRegistryKey.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace Tessar {
namespace {

using Test::FakeAdapter;
using Test::FakeInterfaceRow;
using Test::FakeNetwork;
using Test::FakeTransport;

const std::wstring kCardsKey = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\";
const std::wstring kClassKey =
    L"SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
const std::wstring kTcpipKey = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
const DWORD kUp = 5;    // IF_OPER_STATUS_OPERATIONAL
const DWORD kDown = 2;  // IF_OPER_STATUS_UNREACHABLE

// The scratch key opened as the root that the collector reads below.
class ScratchRoot {
public:
    explicit ScratchRoot(const VQScratchRegistryKey& scratch) {
        if (scratch.IsValid())
            m_root.RegOpenKeyPath(scratch.Root(), scratch.Path(), KEY_ALL_ACCESS);
    }

    HKEY Root() const { return m_root.Key(); }
    bool CreateKey(const std::wstring& path) const { return SetRaw(path, nullptr, REG_NONE, nullptr, 0); }
    bool SetText(const std::wstring& path, const wchar_t* name, const std::wstring& value) const {
        return SetRaw(path, name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    // Without a name only the key is made.
    bool SetRaw(const std::wstring& path, const wchar_t* name, DWORD type, const void* bytes, DWORD size) const {
        VQRegKeyHolder key;
        if (Root() == nullptr || !key.RegCreateKeyPath(Root(), path))
            return false;
        return name == nullptr ||
               ::RegSetValueExW(key.Key(), name, 0, type, static_cast<const BYTE*>(bytes), size) == ERROR_SUCCESS;
    }

private:
    VQRegKeyHolder m_root;
};

struct CardSpec {
    const wchar_t* key;
    const wchar_t* service;     // null: no ServiceName value
    const wchar_t* connection;  // null: no Connection key; empty: a key without Name
    bool tcpip;                 // the TCP/IP interface key exists
};

void AddCard(const ScratchRoot& registry, const CardSpec& card) {
    const std::wstring key = kCardsKey + card.key;
    ASSERT_TRUE(registry.CreateKey(key));
    registry.SetText(key, L"Description", std::wstring(L"Card ") + card.key);
    if (card.service == nullptr)
        return;
    registry.SetText(key, L"ServiceName", card.service);
    if (card.connection != nullptr) {
        registry.CreateKey(kClassKey + card.service + L"\\Connection");
        if (*card.connection != L'\0')
            registry.SetText(kClassKey + card.service + L"\\Connection", L"Name", card.connection);
    }
    if (card.tcpip)
        registry.CreateKey(kTcpipKey + card.service);
}

FakeAdapter Adapter(const char* name, std::vector<uint8_t> address, DWORD index) {
    return FakeAdapter{name, std::string("Adapter ") + name, address, index, "192.168.1.2", "255.255.255.0",
                       "192.168.1.1"};
}

class AdapterCollectorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, registry.Root()); }
    VQScratchRegistryKey scratch;
    ScratchRoot registry{scratch};
    FakeNetwork network;
};

TEST_F(AdapterCollectorTest, NetworkCardsNeedServiceConnectionAndInterface) {
    const CardSpec cards[] = {
        {L"0", L"{A}", L"本地连接", true},
        {L"1", nullptr, nullptr, false},      // no service name
        {L"2", L"{B}", nullptr, true},        // no connection key
        {L"3", L"{C}", L"", true},            // connection without a name
        {L"4", L"{D}", L"Net D", false},      // no TCP/IP interface
        {L"5", L"{E}", L"Net E", true},
    };
    for (const CardSpec& card : cards)
        AddCard(registry, card);
    // A service name that is no text counts as missing.
    const DWORD number = 7;
    registry.CreateKey(kCardsKey + L"6");
    registry.SetRaw(kCardsKey + L"6", L"ServiceName", REG_DWORD, &number, sizeof(number));

    network.hasIphlpapi = false;
    network.hasNetapi = false;
    AdapterCollector collector(network.Source(registry.Root()));
    ASSERT_EQ(2u, collector.NetworkCards().size());
    const VQStringTriple& a = collector.NetworkCards()[0];
    EXPECT_EQ(L"{A}", a.first);
    EXPECT_EQ(L"Card 0", a.second);
    EXPECT_EQ(L"本地连接", a.third);
    EXPECT_EQ(L"{E}", collector.NetworkCards()[1].first);
    EXPECT_EQ(L"Net E", collector.NetworkCards()[1].third);
    EXPECT_TRUE(collector.HasNetworkCard(L"{A}"));
    EXPECT_FALSE(collector.HasNetworkCard(L"{a}")) << "service names are compared exactly";
    EXPECT_FALSE(collector.HasNetworkCard(L"{D}"));
    EXPECT_TRUE(collector.CollectNetworkCards());
}

TEST_F(AdapterCollectorTest, WithoutNetworkCardsKeyNothingIsChosen) {
    network.adapters = {Adapter("{A}", {1, 2, 3, 4, 5, 6}, 1)};
    network.rows[1] = {kUp, 10};
    AdapterCollector collector(network.Source(registry.Root()));
    EXPECT_FALSE(collector.CollectNetworkCards());
    EXPECT_TRUE(collector.NetworkCards().empty());
    EXPECT_EQ(1u, collector.Adapters().size());
    EXPECT_EQ(L"", collector.PickMachineMac());
}

TEST_F(AdapterCollectorTest, RegistryTextsAreAtMost260Characters) {
    const std::wstring key = L"texts";
    // 520 bytes with the terminator fill the buffer; one more character
    // does not fit.
    const std::wstring full(259, L'x');
    const std::wstring longer(260, L'y');
    registry.SetText(key, L"full", full);
    registry.SetText(key, L"longer", longer);
    registry.SetText(key, L"short", L"以太网");
    registry.SetText(key, L"empty", L"");
    registry.SetRaw(key, L"binary", REG_BINARY, "ab", 2);
    VQRegKeyHolder opened;
    ASSERT_TRUE(opened.RegOpenKeyPath(registry.Root(), key, KEY_READ));
    struct Case {
        const wchar_t* name;
        std::wstring expected;
    } cases[] = {
        {L"full", full}, {L"longer", L""}, {L"short", L"以太网"}, {L"empty", L""}, {L"binary", L""}, {L"missing", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ReadRegistryText(opened.Key(), c.name)) << testing::PrintToString(std::wstring(c.name));
}

TEST_F(AdapterCollectorTest, AdaptersAreCollectedWithTheirInterfaceRows) {
    network.adapters = {
        FakeAdapter{"{11111111-2222}", "Realtek PCIe", {0x00, 0x1A, 0x2B, 0xC3, 0xD4, 0xE5}, 7, "10.0.0.5",
                    "255.0.0.0", "10.0.0.1"},
        FakeAdapter{"{SHORT}", "Dial-up", {0xAB, 0xCD, 0xEF}, 9, "", "", ""},
    };
    network.rows[7] = {kUp, 123456};  // index 9 has no row
    AdapterCollector collector(network.Source(registry.Root()));
    ASSERT_EQ(2u, collector.Adapters().size());
    const VQMachineInfo& first = collector.Adapters()[0];
    EXPECT_EQ(L"{11111111-2222}", first.adapterName);
    EXPECT_EQ(L"Realtek PCIe", first.description);
    EXPECT_EQ(L"10.0.0.5", first.ipAddress);
    EXPECT_EQ(L"255.0.0.0", first.ipMask);
    EXPECT_EQ(L"10.0.0.1", first.gateway);
    EXPECT_EQ(L"001a2bc3d4e5", first.addressText);
    EXPECT_EQ(0xE5, first.addressBytes[5]);
    EXPECT_EQ(7u, first.interfaceRow.dwIndex);
    EXPECT_EQ(kUp, first.interfaceRow.dwOperStatus);
    EXPECT_EQ(123456u, first.interfaceRow.dwInOctets);
    const VQMachineInfo& second = collector.Adapters()[1];
    EXPECT_EQ(L"abcdef000000", second.addressText) << "always six bytes";
    EXPECT_EQ(0u, second.interfaceRow.dwIndex) << "an unreadable row is all zero";
    EXPECT_EQ(0u, second.interfaceRow.dwMtu);
    EXPECT_EQ((std::vector<DWORD>{7, 9}), network.ifEntryIndexes);
    EXPECT_EQ(3u, network.adapterCalls);
    EXPECT_EQ(network.loads, network.frees) << "every library is freed again";
}

TEST_F(AdapterCollectorTest, AdapterSourceFailuresLeaveTheListEmpty) {
    struct Case {
        const char* name;
        bool hasLibrary;
        const char* missing;
        ULONG failingCall;
        bool adapters;
        bool expected;
    } cases[] = {
        {"no Iphlpapi", false, "", 0, true, false},
        {"no GetAdaptersInfo", true, "GetAdaptersInfo", 0, true, false},
        {"no adapters", true, "", 0, false, false},
        {"second call fails", true, "", 2, true, false},
        {"third call fails", true, "", 3, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeNetwork fake;
        fake.hasIphlpapi = c.hasLibrary;
        fake.hasNetapi = false;
        fake.missingFunctions = {c.missing};
        fake.failingAdapterCall = c.failingCall;
        if (c.adapters)
            fake.adapters = {Adapter("{A}", {1, 2, 3, 4, 5, 6}, 1)};
        AdapterCollector collector(fake.Source(registry.Root()));
        EXPECT_TRUE(collector.Adapters().empty());
        fake.adapterCalls = 0;  // the same calls again
        EXPECT_EQ(c.expected, collector.CollectAdapters());
        EXPECT_TRUE(collector.Adapters().empty());
        EXPECT_EQ(fake.loads, fake.frees);
    }
}

TEST_F(AdapterCollectorTest, TransportsFromTheSecondEntryOnWithoutRepeatedAddresses) {
    network.hasIphlpapi = false;
    network.transports = {
        {L"\\Device\\NetBT_Tcpip_{FIRST}", L"0a0b0c0d0e0f"},  // never used
        {L"\\Device\\NetBT_Tcpip_{AAAA-1}", L"00E04C123456"},
        {L"\\Device\\NetBT_Tcpip_{AAAA-2}", L"00e04c123456"},  // same address text
        {L"\\Device\\NetBT_Tcpip_NoBraces", L"112233445566"},
        {nullptr, L"1122334455"},                               // short address
        {L"{x}y{z}", nullptr},
    };
    AdapterCollector collector(network.Source(registry.Root()));
    const std::vector<TransportAddress>& transports = collector.Transports();
    ASSERT_EQ(4u, transports.size());
    EXPECT_EQ(L"{AAAA-1}", transports[0].guidText);
    EXPECT_EQ(L"00e04c123456", transports[0].addressText);
    EXPECT_EQ(0x56, transports[0].addressBytes[5]);
    EXPECT_EQ(L"", transports[1].guidText);
    EXPECT_EQ(L"112233445566", transports[1].addressText);
    EXPECT_EQ(L"112233445500", transports[2].addressText);
    EXPECT_EQ(L"{z}", transports[3].guidText);
    EXPECT_EQ(L"000000000000", transports[3].addressText);
    EXPECT_TRUE(network.transportArgumentsAsExpected);
    EXPECT_EQ(1, network.bufferFrees);
    EXPECT_EQ(network.loads, network.frees);
}

TEST_F(AdapterCollectorTest, TransportSourceFailuresAddNothing) {
    struct Case {
        const char* name;
        bool hasLibrary;
        const char* missing;
        NET_API_STATUS status;
        bool bufferOnFailure;
        size_t entries;
        bool expected;
        int bufferFrees;
    } cases[] = {
        {"no netapi32", false, "", NERR_Success, false, 3, false, 0},
        {"no enumeration", true, "NetWkstaTransportEnum", NERR_Success, false, 3, false, 0},
        {"no buffer free", true, "NetApiBufferFree", NERR_Success, false, 3, false, 0},
        {"failed status", true, "", ERROR_ACCESS_DENIED, false, 3, false, 0},
        {"failed status with a buffer", true, "", ERROR_MORE_DATA, true, 3, false, 1},
        {"one entry", true, "", NERR_Success, false, 1, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeNetwork fake;
        fake.hasIphlpapi = false;
        fake.hasNetapi = c.hasLibrary;
        fake.missingFunctions = {c.missing};
        fake.transportStatus = c.status;
        fake.transportBufferOnFailure = c.bufferOnFailure;
        const FakeTransport all[] = {{L"{T0}", L"000000000001"}, {L"{T1}", L"000000000002"}, {L"{T2}", L"000000000003"}};
        fake.transports.assign(all, all + c.entries);
        AdapterCollector collector(fake.Source(registry.Root()));
        EXPECT_TRUE(collector.Transports().empty());
        EXPECT_EQ(c.bufferFrees, fake.bufferFrees);
        EXPECT_EQ(c.expected, collector.CollectTransports());
        EXPECT_EQ(fake.loads, fake.frees);
    }
}

TEST_F(AdapterCollectorTest, AddTransportTakesTheGuidBetweenTheLastBraces) {
    network.hasIphlpapi = false;
    network.hasNetapi = false;
    AdapterCollector collector(network.Source(registry.Root()));
    struct Case {
        const wchar_t* name;
        const wchar_t* guid;
    } cases[] = {
        {L"\\Device\\NetBT_Tcpip_{12AB}", L"{12AB}"},
        {L"{a}b{c}", L"{c}"},
        {L"{a}b}", L"{a}b}"},
        {L"x}y{", L""},
        {L"{open", L""},
        {L"", L""},
    };
    uint8_t address[6] = {0, 0, 0, 0, 0, 0};
    for (const Case& c : cases) {
        ++address[5];
        collector.AddTransport(c.name, address);
        ASSERT_FALSE(collector.Transports().empty());
        EXPECT_EQ(std::wstring(c.guid), collector.Transports().back().guidText)
            << testing::PrintToString(std::wstring(c.name));
    }
    const size_t count = collector.Transports().size();
    collector.AddTransport(L"{other}", address);
    EXPECT_EQ(count, collector.Transports().size()) << "an address already listed";
}

TEST_F(AdapterCollectorTest, MachineAddressPrefersTheBusiestOperationalAdapterWithACard) {
    const CardSpec cards[] = {
        {L"0", L"{G1}", L"Net 1", true}, {L"1", L"{G2}", L"Net 2", true}, {L"2", L"{G3}", L"Net 3", true},
        {L"3", L"{T1}", L"Net T1", true}, {L"4", L"{T2}", L"Net T2", true},
    };
    for (const CardSpec& card : cards)
        AddCard(registry, card);

    struct AdapterCase {
        const char* name;
        uint8_t last;  // last address byte
        DWORD status, octets;
    };
    struct Case {
        const char* name;
        std::vector<AdapterCase> adapters;
        std::vector<FakeTransport> transports;  // the first entry is never used
        const wchar_t* expected;
    } cases[] = {
        {"one operational adapter", {{"{G1}", 0x01, kUp, 5}}, {}, L"0000000000a1"},
        {"equal counts: the first", {{"{G1}", 0x01, kUp, 50}, {"{G2}", 0x02, kUp, 50}}, {}, L"0000000000a1"},
        {"more received bytes", {{"{G1}", 0x01, kUp, 50}, {"{G2}", 0x02, kUp, 51}}, {}, L"0000000000a2"},
        {"operational beats a later unplugged one", {{"{G1}", 0x01, kUp, 0}, {"{G2}", 0x02, kDown, 99}}, {},
         L"0000000000a1"},
        {"only unplugged: the last", {{"{G1}", 0x01, kDown, 9}, {"{G2}", 0x02, kDown, 1}, {"{G3}", 0x03, kDown, 5}},
         {}, L"0000000000a3"},
        {"adapter without a card is never chosen", {{"{NOCARD}", 0x09, kUp, 1000}, {"{G3}", 0x03, kDown, 0}}, {},
         L"0000000000a3"},
        {"no adapters: the first transport with a card",
         {},
         {{L"{T2}", L"0000000000f0"}, {L"X_{NONE}", L"0000000000f1"}, {L"X_{T2}", L"0000000000f2"},
          {L"X_{T1}", L"0000000000f3"}},
         L"0000000000f2"},
        {"an adapter comes before transports", {{"{G2}", 0x02, kDown, 0}},
         {{L"{T1}", L"0000000000f0"}, {L"X_{T1}", L"0000000000f3"}}, L"0000000000a2"},
        {"nothing with a card", {{"{NOCARD}", 0x09, kUp, 1}}, {{L"{T1}", L"0000000000f0"}, {L"X_{NONE}", L"0000000000f1"}},
         L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeNetwork fake;
        DWORD index = 1;
        for (const AdapterCase& a : c.adapters) {
            fake.adapters.push_back(Adapter(a.name, {0, 0, 0, 0, 0, static_cast<uint8_t>(0xA0 | a.last)}, index));
            fake.rows[index] = {a.status, a.octets};
            ++index;
        }
        fake.transports = c.transports;
        AdapterCollector collector(fake.Source(registry.Root()));
        EXPECT_EQ(std::wstring(c.expected), collector.PickMachineMac());
        EXPECT_EQ(std::wstring(c.expected), collector.PickMachineMac()) << "the same on every call";
    }
}

// What Wine gives: an address of 12 lower-case hex digits or nothing.
TEST(AdapterCollectorSystemTest, SystemAddressIsTwelveLowerCaseHexDigitsOrEmpty) {
    AdapterCollector collector;
    std::wstring address = collector.PickMachineMac();
    if (!address.empty()) {
        ASSERT_EQ(12u, address.size());
        for (wchar_t c : address)
            EXPECT_TRUE(std::iswxdigit(c) && !std::iswupper(c)) << testing::PrintToString(address);
    }
    for (const VQMachineInfo& adapter : collector.Adapters())
        EXPECT_EQ(12u, adapter.addressText.size());
}

}  // namespace
}  // namespace Tessar
