// The updater program's parts that need no window: the statistics query and
// its Base64 form, the report sent to the local server, the install marker,
// the link.ini clean-up and the window's unique download folder.
#include "VQUpdate/program/InstallStat.h"
#include "VQUpdate/program/SharedFolderTasks.h"
#include "VQUpdate/program/UpdateApp.h"
#include "VQUpdate/program/UpdateTempFolder.h"

#include "common/PathText.h"
#include "common/ServerAddresses.h"
#include "tests/VQUpdate/UpdateTestUtil.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cwctype>
#include <string>

namespace Tessar {
namespace {

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

TEST(InstallStatTest, Base64IsTheStandardEncodingWithPadding) {
    struct Case {
        const char* input;
        const char* expected;
    } cases[] = {
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"type=0&ver=1.7", "dHlwZT0wJnZlcj0xLjc="},
        {"\xff\xfe\xfd", "//79"},
    };
    for (const Case& c : cases) {
        std::string output;
        ASSERT_TRUE(Base64Encode(static_cast<int>(strlen(c.input)), output,
                                 reinterpret_cast<const unsigned char*>(c.input)))
            << c.input;
        EXPECT_EQ(c.expected, output) << c.input;
    }
    std::string output;
    EXPECT_FALSE(Base64Encode(0, output, reinterpret_cast<const unsigned char*>("x")));
    EXPECT_FALSE(Base64Encode(-1, output, reinterpret_cast<const unsigned char*>("x")));
    EXPECT_FALSE(Base64Encode(3, output, nullptr));
}

TEST(InstallStatTest, TheQueryHasTheFieldsInOrderAndAFourteenCharacterInstallTime) {
    struct Case {
        const char* name;
        const wchar_t* installtime;
        const wchar_t* expected;
    } cases[] = {
        {"exact", L"20240102030405", L"20240102030405"},
        {"short, padded with 0", L"2024", L"20240000000000"},
        {"long, cut", L"2024010203040599", L"20240102030405"},
        {"empty", L"", L"00000000000000"},
    };
    for (const Case& c : cases) {
        VQInstallStat stat;
        stat.type = kStatUninstall;
        stat.mac = L"00aabbccddee";
        stat.diskid = L"WD-123";
        stat.installtime = c.installtime;
        stat.ver = L"1.7";
        EXPECT_EQ(std::wstring(L"type=2&mac=00aabbccddee&diskid=WD-123&installtime=") + c.expected + L"&ver=1.7",
                  BuildStatQuery(stat))
            << c.name;
    }
}

TEST(InstallStatTest, TheInstallTimeIsLocalTimeAsFourteenDigits) {
    std::wstring epoch = FormatInstallTime(0);
    ASSERT_EQ(14u, epoch.size());
    for (wchar_t digit : epoch)
        EXPECT_TRUE(iswdigit(digit)) << "digits only";
    // Second 0 of 1970 is still in 1970 east of Greenwich, 1969 west of it.
    EXPECT_TRUE(epoch.compare(0, 4, L"1970") == 0 || epoch.compare(0, 4, L"1969") == 0);
    // A day later the calendar day moved on by one, whatever the zone.
    std::wstring dayLater = FormatInstallTime(86400);
    EXPECT_EQ(epoch.substr(8), dayLater.substr(8));
    EXPECT_NE(epoch.substr(6, 2), dayLater.substr(6, 2));
}

TEST(InstallStatTest, TheReportIsOneGetOfTheBase64QueryOnStatPhp) {
    VQTempFolder root;
    ::Tessar::Test::VQUpdateServer server;
    ASSERT_TRUE(server.Start(root.Path()));
    ASSERT_TRUE(SetServerAddress(kStatisticsServer, server.Url(L"")));
    VQInstallStat stat;
    stat.mac = L"000000000000";  // taken as empty: the machine's own is collected
    bool reported = stat.Report(kStatUpgrade);
    LoadServerAddresses(ServerAddressesIniPath());
    ASSERT_TRUE(reported);
    EXPECT_EQ(kStatUpgrade, stat.type);
    EXPECT_EQ(L"1.7", stat.ver);
    EXPECT_EQ(14u, stat.installtime.size());
    EXPECT_NE(L"000000000000", stat.mac);
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(1u, requests.size());
    std::wstring url = BuildStatRequestUrl(stat);
    std::string expected(url.begin() + static_cast<long>(url.find(L"/stat.php?")), url.end());
    EXPECT_EQ(expected, requests[0]);
}

TEST(InstallStatTest, AFailedRequestIsAFailedReport) {
    ASSERT_TRUE(SetServerAddress(kStatisticsServer, L"http://127.0.0.1:1"));
    VQInstallStat stat;
    bool reported = stat.Report(kStatInstall);
    LoadServerAddresses(ServerAddressesIniPath());
    EXPECT_FALSE(reported);
}

TEST(SharedFolderTasksTest, TheInstallMarkerIsAnEmptyFileInTheSharedFolder) {
    VQTempFolder root;
    std::wstring shared = root.PathOf(L"AppData\\Zelmor");
    ASSERT_TRUE(WriteInstallMarker(shared)) << "the folder is made with its parents";
    EXPECT_TRUE(FileExists(shared + L"\\stat.vqs"));
    EXPECT_EQ("", root.ReadFile(L"AppData\\Zelmor\\stat.vqs"));
    ASSERT_TRUE(root.WriteFile(L"AppData\\Zelmor\\stat.vqs", "old"));
    ASSERT_TRUE(WriteInstallMarker(shared));
    EXPECT_EQ("", root.ReadFile(L"AppData\\Zelmor\\stat.vqs")) << "made anew";
    EXPECT_FALSE(WriteInstallMarker(L"")) << "an unknown shared folder";
}

TEST(SharedFolderTasksTest, InstallRunWritesTheMarkerWhetherOrNotTheReportWasSent) {
    VQTempFolder root;
    ::Tessar::Test::VQUpdateServer server;
    ASSERT_TRUE(server.Start(root.PathOf(L"www")));
    const struct {
        const char* name;
        std::wstring statisticsServer;
        bool result;
    } cases[] = {
        {"report sent", server.Url(L""), true},
        {"no statistics server", L"http://127.0.0.1:1", false},
    };
    for (const auto& c : cases) {
        const std::wstring shared = root.PathOf(L"AppData\\Zelmor");
        ::DeleteFileW((shared + L"\\stat.vqs").c_str());
        ASSERT_TRUE(SetServerAddress(kStatisticsServer, c.statisticsServer)) << c.name;
        server.ClearRequests();
        const bool result = RunInstallReport(shared);
        LoadServerAddresses(ServerAddressesIniPath());
        EXPECT_EQ(c.result, result) << c.name;
        EXPECT_TRUE(FileExists(shared + L"\\stat.vqs")) << c.name;
        EXPECT_EQ(c.result ? 1u : 0u, server.Requests().size()) << c.name;
    }
    EXPECT_FALSE(RunInstallReport(L"")) << "an unknown shared folder";
}

TEST(SharedFolderTasksTest, UninstallDeletesTheShortcutsAndIconsLinkIniNamesThenLinkIni) {
    VQTempFolder root;
    std::wstring shared = root.PathOf(L"Zelmor");
    std::wstring desktop = root.PathOf(L"desk");
    ASSERT_TRUE(root.WriteFile(L"desk\\a.lnk", "a") && root.WriteFile(L"Zelmor\\Icons\\a.ico", "a") &&
                root.WriteFile(L"desk\\b.lnk", "b") && root.WriteFile(L"desk\\other.lnk", "not listed") &&
                root.WriteFile(L"Zelmor\\Icons\\exe.exe", "named by exe, kept"));
    SetFileAttributesW(root.PathOf(L"desk\\b.lnk").c_str(), FILE_ATTRIBUTE_READONLY);
    std::string ini = "[00001]\r\nlnk=" + Narrow(root.PathOf(L"desk\\a.lnk")) +
                      "\r\nico=" + Narrow(root.PathOf(L"Zelmor\\Icons\\a.ico")) +
                      "\r\nexe=" + Narrow(root.PathOf(L"Zelmor\\Icons\\exe.exe")) +
                      "\r\n[00002]\r\nlnk=" + Narrow(root.PathOf(L"desk\\gone.lnk")) +
                      "\r\n[00003]\r\nlnk=" + Narrow(root.PathOf(L"desk\\b.lnk")) + "\r\n";
    ASSERT_TRUE(root.WriteFile(L"Zelmor\\link.ini", ini));
    RemoveLinkIniShortcuts(shared, desktop);
    EXPECT_FALSE(FileExists(root.PathOf(L"desk\\a.lnk")));
    EXPECT_FALSE(FileExists(root.PathOf(L"Zelmor\\Icons\\a.ico")));
    EXPECT_FALSE(FileExists(root.PathOf(L"desk\\b.lnk"))) << "read-only cleared first";
    EXPECT_TRUE(FileExists(root.PathOf(L"desk\\other.lnk")));
    EXPECT_TRUE(FileExists(root.PathOf(L"Zelmor\\Icons\\exe.exe")));
    EXPECT_FALSE(FileExists(root.PathOf(L"Zelmor\\link.ini")));

    ASSERT_TRUE(root.WriteFile(L"Zelmor\\link.ini", "; no section\r\n"));
    RemoveLinkIniShortcuts(shared, desktop);
    EXPECT_FALSE(FileExists(root.PathOf(L"Zelmor\\link.ini"))) << "deleted also without sections";
}

// link.ini is anyone's to write: what it names beyond the desktop's
// shortcuts and the Icons folder's icons stays, and link.ini goes anyway.
TEST(SharedFolderTasksTest, UninstallLeavesWhatAChangedLinkIniNamesElsewhere) {
    VQTempFolder root;
    std::wstring shared = root.PathOf(L"Zelmor");
    std::wstring desktop = root.PathOf(L"desk");
    const wchar_t* kept[] = {
        L"user\\report.doc",          // a user's file
        L"user\\old.lnk",             // a shortcut, but not on the desktop
        L"user\\picture.ico",         // an icon, but not in the Icons folder
        L"desk\\notes.txt",           // on the desktop, but no shortcut
        L"desk\\sub\\deep.lnk",       // below the desktop
        L"Zelmor\\Icons\\sub\\x.ico",  // below the Icons folder
        L"Zelmor\\Icons\\x.exe",      // in the Icons folder, but no icon
    };
    std::string ini;
    int section = 1;
    for (const wchar_t* name : kept) {
        ASSERT_TRUE(root.WriteFile(name, "keep")) << Narrow(name);
        char header[16];
        snprintf(header, sizeof(header), "[%05d]", section++);
        ini += std::string(header) + "\r\nlnk=" + Narrow(root.PathOf(name)) + "\r\nico=" + Narrow(root.PathOf(name)) +
               "\r\n";
    }
    ini += "[00099]\r\nlnk=" + Narrow(root.PathOf(L"desk\\..\\user\\climb.lnk")) +
           "\r\nico=" + Narrow(root.PathOf(L"Zelmor\\Icons\\..\\..\\user\\climb.ico")) + "\r\n";
    ASSERT_TRUE(root.WriteFile(L"user\\climb.lnk", "keep") && root.WriteFile(L"user\\climb.ico", "keep"));
    ASSERT_TRUE(root.WriteFile(L"Zelmor\\link.ini", ini));
    RemoveLinkIniShortcuts(shared, desktop);
    for (const wchar_t* name : kept)
        EXPECT_TRUE(FileExists(root.PathOf(name))) << Narrow(name);
    EXPECT_TRUE(FileExists(root.PathOf(L"user\\climb.lnk")));
    EXPECT_TRUE(FileExists(root.PathOf(L"user\\climb.ico")));
    EXPECT_FALSE(FileExists(root.PathOf(L"Zelmor\\link.ini")));
}

TEST(UpdateTempFolderTest, EachFolderIsNewAndNamedFromThePrefixAndTwoNumbers) {
    VQTempFolder root;
    std::wstring first;
    std::wstring second;
    ASSERT_TRUE(MakeUniqueTempFolder(first, root.Path(), L"VQ$"));
    ASSERT_TRUE(MakeUniqueTempFolder(second, root.Path(), L"VQ$"));
    EXPECT_NE(first, second);
    for (const std::wstring& folder : {first, second}) {
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(L'\\', folder.back());
        EXPECT_TRUE(FolderExists(folder));
        std::wstring trimmed = NormalizeText(folder, kNormalizeNoTrailingSeparator);
        std::wstring name = trimmed.substr(trimmed.rfind(L'\\') + 1);
        EXPECT_EQ(0, name.compare(0, 5, L"VQ$D.")) << Narrow(name);
        EXPECT_EQ(root.Path(), trimmed.substr(0, trimmed.rfind(L'\\'))) << "in the given folder";
    }
    std::wstring made;
    {
        ::Tessar::Test::VQScopedEnvironment tmp(L"TMP", root.Path());
        ::Tessar::Test::VQScopedEnvironment temp(L"TEMP", root.Path());
        VQUpdateTempFolder download;
        ASSERT_TRUE(download.Create());
        made = download.Path();
        EXPECT_TRUE(FolderExists(made));
        ASSERT_TRUE(download.Create());
        EXPECT_FALSE(FolderExists(made)) << "a new folder replaces the one before";
        made = download.Path();
        ASSERT_TRUE(::Tessar::Test::WriteBytes(made + L"file.bin", "bytes"));
    }
    EXPECT_FALSE(FolderExists(made)) << "deleted with its contents when the record goes";
}

}  // namespace
}  // namespace Tessar
