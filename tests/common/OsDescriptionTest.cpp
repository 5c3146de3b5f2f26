#include "common/OsDescription.h"

#include "common/HardwareReport.h"
#include "common/PathText.h"
#include "tests/support/LocalServer.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

namespace Tessar {
namespace {

struct OsCase {
    const char* name;
    DWORD platform, major, minor, build;
    BYTE productType;
    WORD suite;
    const wchar_t* servicePack;
    uint16_t architecture;
    uint32_t edition;  // GetProductInfo
    int serverR2;
    const wchar_t* text;
    uint8_t code;
    uint8_t is64Bit;
};

OsVersionFacts FactsOf(const OsCase& c) {
    OsVersionFacts facts;
    std::memset(&facts, 0, sizeof(facts));
    facts.version.dwOSVersionInfoSize = sizeof(facts.version);
    facts.version.dwPlatformId = c.platform;
    facts.version.dwMajorVersion = c.major;
    facts.version.dwMinorVersion = c.minor;
    facts.version.dwBuildNumber = c.build;
    facts.version.wProductType = c.productType;
    facts.version.wSuiteMask = c.suite;
    wcsncpy(facts.version.szCSDVersion, c.servicePack, 127);
    facts.architecture = c.architecture;
    facts.productType = c.edition;
    facts.serverR2 = c.serverR2;
    return facts;
}

const DWORD kNt = VER_PLATFORM_WIN32_NT;
const DWORD k9x = VER_PLATFORM_WIN32_WINDOWS;
const BYTE kWorkstation = VER_NT_WORKSTATION;
const BYTE kServer = VER_NT_SERVER;
const uint16_t kX86 = PROCESSOR_ARCHITECTURE_INTEL;
const uint16_t kX64 = PROCESSOR_ARCHITECTURE_AMD64;
const uint16_t kIa64 = PROCESSOR_ARCHITECTURE_IA64;

template <size_t N>
void ExpectDescriptions(const OsCase (&cases)[N]) {
    for (const OsCase& c : cases) {
        SCOPED_TRACE(c.name);
        HardwareReport report;
        report.is64Bit = 7;
        ASSERT_TRUE(DescribeOs(FactsOf(c), report));
        EXPECT_EQ(std::wstring(c.text), report.GetOsText());
        EXPECT_EQ(c.code, report.osCode);
        EXPECT_EQ(c.is64Bit, report.is64Bit);
    }
}

TEST(OsDescriptionTest, VersionFactsGiveTextCodeAndWordSize) {
    const OsCase cases[] = {
        {"XP Home SP3", kNt, 5, 1, 2600, kWorkstation, VER_SUITE_PERSONAL, L"Service Pack 3", kX86, 0, 0,
         L"Microsoft Windows XP Home Edition Service Pack 3 (build 2600)", 4, 0},
        {"XP Professional", kNt, 5, 1, 2600, kWorkstation, 0, L"", kX86, 0, 0,
         L"Microsoft Windows XP Professional (build 2600)", 4, 0},
        {"7 type 0 x86", kNt, 6, 1, 7600, kWorkstation, 0, L"", kX86, 0, 0,
         L"Microsoft Windows 7 Unknown, 32-bit (build 7600)", 32, 0},
        {"7 Ultimate x64 SP1", kNt, 6, 1, 7601, kWorkstation, 0, L"Service Pack 1", kX64, 1, 0,
         L"Microsoft Windows 7 Ultimate Edition, 64-bit Service Pack 1 (build 7601)", 32, 1},
        {"Vista Home Premium", kNt, 6, 0, 6002, kWorkstation, 0, L"Service Pack 2", kX86, 3, 0,
         L"Microsoft Windows Vista Home Premium Edition, 32-bit Service Pack 2 (build 6002)", 16, 0},
        {"Server 2008 core on Itanium", kNt, 6, 0, 6001, kServer, 0, L"", kIa64, 12, 0,
         L"Microsoft Windows Server 2008 Datacenter Edition (core installation) (build 6001)", 16, 0},
        {"unnamed 6.x", kNt, 6, 4, 9841, kWorkstation, 0, L"", kX64, 0x30, 0,
         L"Microsoft Professional Edition, 64-bit (build 9841)", 0, 1},
        {"later major", kNt, 11, 0, 30000, kWorkstation, 0, L"", kX64, 0x30, 0, L"Microsoft  (build 30000)", 0, 0},
        {"2003 R2 Enterprise", kNt, 5, 2, 3790, kServer, VER_SUITE_ENTERPRISE, L"Service Pack 2", kX86, 0, 1,
         L"Microsoft Windows Server 2003 R2, Enterprise Edition Service Pack 2 (build 3790)", 8, 0},
        {"Storage Server 2003", kNt, 5, 2, 3790, kServer, VER_SUITE_STORAGE_SERVER, L"", kX86, 0, 0,
         L"Microsoft Windows Storage Server 2003Standard Edition (build 3790)", 8, 0},
        {"storage bit with another", kNt, 5, 2, 3790, kServer, VER_SUITE_STORAGE_SERVER | VER_SUITE_ENTERPRISE, L"",
         kX86, 0, 0, L"Microsoft Windows Server 2003, Enterprise Edition (build 3790)", 8, 0},
        {"XP x64", kNt, 5, 2, 3790, kWorkstation, 0, L"Service Pack 2", kX64, 0, 0,
         L"Microsoft Windows XP Professional x64 Edition Service Pack 2 (build 3790)", 8, 1},
        {"2003 Itanium Datacenter", kNt, 5, 2, 3790, kServer, VER_SUITE_DATACENTER, L"", kIa64, 0, 0,
         L"Microsoft Windows Server 2003, Datacenter Edition for Itanium-based Systems (build 3790)", 8, 1},
        {"2003 Itanium Enterprise", kNt, 5, 2, 3790, kServer, VER_SUITE_ENTERPRISE, L"", kIa64, 0, 0,
         L"Microsoft Windows Server 2003, Enterprise Edition for Itanium-based Systems (build 3790)", 8, 1},
        {"2003 x64 Datacenter", kNt, 5, 2, 3790, kServer, VER_SUITE_DATACENTER, L"", kX64, 0, 0,
         L"Microsoft Windows Server 2003, Datacenter x64 Edition (build 3790)", 8, 1},
        {"2003 x64 Enterprise", kNt, 5, 2, 3790, kServer, VER_SUITE_ENTERPRISE, L"", kX64, 0, 0,
         L"Microsoft Windows Server 2003, Enterprise x64 Edition (build 3790)", 8, 1},
        {"2003 x64 Standard", kNt, 5, 2, 3790, kServer, 0, L"", kX64, 0, 0,
         L"Microsoft Windows Server 2003, Standard x64 Edition (build 3790)", 8, 1},
        {"2003 Compute Cluster", kNt, 5, 2, 3790, kServer, VER_SUITE_COMPUTE_SERVER | VER_SUITE_DATACENTER, L"", kX86,
         0, 0, L"Microsoft Windows Server 2003, Compute Cluster Edition (build 3790)", 8, 0},
        {"2003 Datacenter", kNt, 5, 2, 3790, kServer, VER_SUITE_DATACENTER | VER_SUITE_ENTERPRISE, L"", kX86, 0, 0,
         L"Microsoft Windows Server 2003, Datacenter Edition (build 3790)", 8, 0},
        {"2003 Web", kNt, 5, 2, 3790, kServer, VER_SUITE_BLADE, L"", kX86, 0, 0,
         L"Microsoft Windows Server 2003, Web Edition (build 3790)", 8, 0},
        {"2003 Standard", kNt, 5, 2, 3790, kServer, 0, L"", kX86, 0, 0,
         L"Microsoft Windows Server 2003, Standard Edition (build 3790)", 8, 0},
        {"2000 Professional", kNt, 5, 0, 2195, kWorkstation, 0, L"Service Pack 4", kX86, 0, 0,
         L"Microsoft Windows 2000 Professional Service Pack 4 (build 2195)", 2, 0},
        {"2000 Datacenter", kNt, 5, 0, 2195, kServer, VER_SUITE_DATACENTER, L"", kX86, 0, 0,
         L"Microsoft Windows 2000 Datacenter Server (build 2195)", 2, 0},
        {"2000 Advanced", kNt, 5, 0, 2195, kServer, VER_SUITE_ENTERPRISE, L"", kX86, 0, 0,
         L"Microsoft Windows 2000 Advanced Server (build 2195)", 2, 0},
        {"2000 Server", kNt, 5, 0, 2195, kServer, 0, L"", kX86, 0, 0, L"Microsoft Windows 2000 Server (build 2195)", 2,
         0},
        {"98", k9x, 4, 10, 1998, 0, 0, L" A ", kX86, 0, 0, L"Microsoft Windows 98 ", 1, 0},
        {"Me", k9x, 4, 90, 3000, 0, 0, L"", kX86, 0, 0, L"Microsoft Windows Me ", 1, 0},
        {"95", k9x, 4, 0, 950, 0, 0, L"", kX86, 0, 0, L"Microsoft Windows 95 ", 1, 0},
    };
    ExpectDescriptions(cases);
}

// Versions after Windows 7 are named in the text; the code stays in the
// 8-bit set the catalogue knows and is 0 for them.
TEST(OsDescriptionTest, Windows7AndLaterAreNamedWithTheirEditions) {
    const BYTE kDomainController = VER_NT_DOMAIN_CONTROLLER;
    const OsCase cases[] = {
        {"7 Professional SP1", kNt, 6, 1, 7601, kWorkstation, 0, L"Service Pack 1", kX64, 0x30, 0,
         L"Microsoft Windows 7 Professional Edition, 64-bit Service Pack 1 (build 7601)", 32, 1},
        {"7 Home Premium N", kNt, 6, 1, 7600, kWorkstation, 0, L"", kX86, 0x1A, 0,
         L"Microsoft Windows 7 Home Premium N Edition, 32-bit (build 7600)", 32, 0},
        {"Server 2008 R2 Datacenter", kNt, 6, 1, 7601, kServer, 0, L"Service Pack 1", kX64, 8, 0,
         L"Microsoft Windows Server 2008 R2 Datacenter Edition, 64-bit Service Pack 1 (build 7601)", 32, 1},
        {"8", kNt, 6, 2, 9200, kWorkstation, 0, L"", kX64, 0x65, 0,
         L"Microsoft Windows 8 Core Edition, 64-bit (build 9200)", 0, 1},
        {"8 Pro x86", kNt, 6, 2, 9200, kWorkstation, 0, L"", kX86, 0x30, 0,
         L"Microsoft Windows 8 Professional Edition, 32-bit (build 9200)", 0, 0},
        {"Server 2012 Standard", kNt, 6, 2, 9200, kServer, 0, L"", kX64, 7, 0,
         L"Microsoft Windows Server 2012 Standard Edition, 64-bit (build 9200)", 0, 1},
        {"8.1 Single Language", kNt, 6, 3, 9600, kWorkstation, 0, L"", kX64, 0x64, 0,
         L"Microsoft Windows 8.1 Core Single Language Edition, 64-bit (build 9600)", 0, 1},
        {"Server 2012 R2 core", kNt, 6, 3, 9600, kServer, 0, L"", kX64, 12, 0,
         L"Microsoft Windows Server 2012 R2 Datacenter Edition (core installation), 64-bit (build 9600)", 0, 1},
        {"Server 2012 R2 domain controller", kNt, 6, 3, 9600, kDomainController, 0, L"", kX64, 0x4F, 0,
         L"Microsoft Windows Server 2012 R2 Standard Evaluation Edition, 64-bit (build 9600)", 0, 1},
        {"10 first build", kNt, 10, 0, 10240, kWorkstation, 0, L"", kX86, 0x30, 0,
         L"Microsoft Windows 10 Professional Edition, 32-bit (build 10240)", 0, 0},
        {"10 Home", kNt, 10, 0, 19045, kWorkstation, 0, L"", kX64, 0x65, 0,
         L"Microsoft Windows 10 Home Edition, 64-bit (build 19045)", 0, 1},
        {"10 Home N", kNt, 10, 0, 19045, kWorkstation, 0, L"", kX64, 0x62, 0,
         L"Microsoft Windows 10 Home N Edition, 64-bit (build 19045)", 0, 1},
        {"10 Education", kNt, 10, 0, 19044, kWorkstation, 0, L"", kX64, 0x79, 0,
         L"Microsoft Windows 10 Education Edition, 64-bit (build 19044)", 0, 1},
        {"10 Enterprise LTSC", kNt, 10, 0, 17763, kWorkstation, 0, L"", kX64, 0x7D, 0,
         L"Microsoft Windows 10 Enterprise LTSC Edition, 64-bit (build 17763)", 0, 1},
        {"10 last build", kNt, 10, 0, 21999, kWorkstation, 0, L"", kX64, 4, 0,
         L"Microsoft Windows 10 Enterprise Edition, 64-bit (build 21999)", 0, 1},
        {"11 first build", kNt, 10, 0, 22000, kWorkstation, 0, L"", kX64, 0x30, 0,
         L"Microsoft Windows 11 Professional Edition, 64-bit (build 22000)", 0, 1},
        {"11 Home", kNt, 10, 0, 26100, kWorkstation, 0, L"", kX64, 0x65, 0,
         L"Microsoft Windows 11 Home Edition, 64-bit (build 26100)", 0, 1},
        {"11 Pro for Workstations", kNt, 10, 0, 22631, kWorkstation, 0, L"", kX64, 0xA1, 0,
         L"Microsoft Windows 11 Professional for Workstations Edition, 64-bit (build 22631)", 0, 1},
        {"Server 2016", kNt, 10, 0, 14393, kServer, 0, L"", kX64, 8, 0,
         L"Microsoft Windows Server 2016 Datacenter Edition, 64-bit (build 14393)", 0, 1},
        {"Server 2019", kNt, 10, 0, 17763, kServer, 0, L"", kX64, 13, 0,
         L"Microsoft Windows Server 2019 Standard Edition (core installation), 64-bit (build 17763)", 0, 1},
        {"Server 2022", kNt, 10, 0, 20348, kDomainController, 0, L"", kX64, 7, 0,
         L"Microsoft Windows Server 2022 Standard Edition, 64-bit (build 20348)", 0, 1},
        {"server past 22000 before 2025", kNt, 10, 0, 25398, kServer, 0, L"", kX64, 8, 0,
         L"Microsoft Windows Server 2022 Datacenter Edition, 64-bit (build 25398)", 0, 1},
        {"Server 2025", kNt, 10, 0, 26100, kServer, 0, L"", kX64, 0x50, 0,
         L"Microsoft Windows Server 2025 Datacenter Evaluation Edition, 64-bit (build 26100)", 0, 1},
        {"10 unknown product type", kNt, 10, 0, 19045, kWorkstation, 0, L"", kX64, 0x9999, 0,
         L"Microsoft Windows 10 Unknown, 64-bit (build 19045)", 0, 1},
    };
    ExpectDescriptions(cases);
}

TEST(OsDescriptionTest, OlderPlatformsAreNotDescribed) {
    const OsCase cases[] = {
        {"NT 4", kNt, 4, 0, 1381, kWorkstation, 0, L"Service Pack 6", kX86, 0, 0, L"", 0, 0},
        {"Win32s", VER_PLATFORM_WIN32s, 3, 10, 0, 0, 0, L"", kX86, 0, 0, L"", 0, 0},
    };
    for (const OsCase& c : cases) {
        SCOPED_TRACE(c.name);
        HardwareReport report;
        report.osText = L"unchanged";
        report.osCode = 9;
        EXPECT_FALSE(DescribeOs(FactsOf(c), report));
        EXPECT_EQ(L"unchanged", report.GetOsText());
        EXPECT_EQ(9, report.osCode);
    }
}

TEST(OsDescriptionTest, SystemDescriptionEndsWithItsBuild) {
    OsVersionFacts facts;
    ReadOsVersionFacts(facts);
    HardwareReport report;
    ASSERT_TRUE(GetOsDescription(report));
    const std::wstring text = report.GetOsText();
    EXPECT_EQ(0u, text.find(L"Microsoft ")) << testing::PrintToString(text);
    const std::wstring build = L" (build " + std::to_wstring(facts.version.dwBuildNumber) + L")";
    ASSERT_GE(text.size(), build.size());
    EXPECT_EQ(build, text.substr(text.size() - build.size()));
    HardwareReport again;
    DescribeOs(facts, again);
    EXPECT_EQ(text, again.GetOsText());
    EXPECT_EQ(report.osCode, again.osCode);
}

// Wine runs one program as another Windows version when its AppDefaults
// key says so; the key lives only as long as the test.
class WineAppVersion {
public:
    WineAppVersion(const std::wstring& program, const std::wstring& version)
        : m_path(L"Software\\Wine\\AppDefaults\\" + program) {
        m_set = ::RegSetKeyValueW(HKEY_CURRENT_USER, m_path.c_str(), L"Version", REG_SZ, version.c_str(),
                                  static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    ~WineAppVersion() { ::RegDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str()); }
    bool IsSet() const { return m_set; }

private:
    std::wstring m_path;
    bool m_set = false;
};

// Run as Windows 10, GetVersionEx tells a program without a manifest (as
// the probe is) that it runs on 6.2, as Windows itself does.
TEST(OsDescriptionTest, ProgramWithoutManifestIsDescribedByItsTrueVersion) {
    const std::wstring probe =
        Tessar::Test::UnixToWindowsPath(Tessar::Test::BinaryDirUnix() + "/fixtures/VQOsVersionProbe.exe");
    ASSERT_TRUE(FileExists(probe)) << "fixture program missing";
    VQTempFolder temp;
    ASSERT_FALSE(temp.Path().empty());
    WineAppVersion windows10(L"VQOsVersionProbe.exe", L"win10");
    ASSERT_TRUE(windows10.IsSet());

    std::wstring command = L"\"" + probe + L"\" \"" + temp.PathOf(L"os.txt") + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process));
    const DWORD waited = ::WaitForSingleObject(process.hProcess, 30000);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ASSERT_EQ(WAIT_OBJECT_0, waited);
    ASSERT_EQ(0u, exitCode);

    std::istringstream lines(temp.ReadFile(L"os.txt"));
    std::string text, code, reported;
    std::getline(lines, text);
    std::getline(lines, code);
    std::getline(lines, reported);
    SCOPED_TRACE("GetVersionEx reported " + reported);
    EXPECT_EQ(0u, text.find("Microsoft Windows 10 ")) << text;
    EXPECT_EQ(std::to_string(kOsNoCode), code);
}

}  // namespace
}  // namespace Tessar
