#include "common/Shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "common/ComPtr.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "tests/support/TempFolder.h"

namespace Tessar {
namespace {

// The shortcut functions leave COM to their caller, as the programs do.
class ShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp.Path().empty());
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_TRUE(temp.WriteFile(L"game\\game.exe", "MZ"));
        target = temp.PathOf(L"game\\game.exe");
    }
    void TearDown() override { ::CoUninitialize(); }

    struct TargetRead {
        bool read = false;
        std::wstring target;
        uint32_t attributes = 0;
        std::wstring folder;
        std::wstring arguments;
    };
    static TargetRead ReadTarget(const std::wstring& path) {
        TargetRead result;
        result.read = ReadShortcutTarget(path, result.target, result.attributes, result.folder, result.arguments);
        return result;
    }

    VQTempFolder temp;
    std::wstring target;
};

TEST_F(ShortcutTest, CreatedShortcutReadsBackEveryField) {
    const std::wstring description = L"\x5929\x5E73\x6E38\x620F game";
    const std::wstring arguments = L"-window \"two words\"";
    const std::wstring workFolder = temp.PathOf(L"work");
    // The shortcut's folder does not exist yet.
    const std::wstring shortcut = temp.PathOf(L"links\\deeper\\\x6E38\x620F");
    ASSERT_TRUE(CreateShortcut(description, target, arguments, shortcut, L"", 2, workFolder));
    ASSERT_TRUE(FileExists(shortcut + L".lnk"));

    ShortcutInfo info;
    ASSERT_TRUE(ReadShortcut(shortcut + L".lnk", info));
    EXPECT_EQ(target, info.targetPath);
    EXPECT_EQ(arguments, info.arguments);
    EXPECT_EQ(description, info.description);
    EXPECT_EQ(workFolder, info.workingFolder);
    EXPECT_EQ(target, info.iconPath);
    EXPECT_EQ(2, info.iconIndex);
}

TEST_F(ShortcutTest, LnkIsAddedUnlessTheExtensionAlreadyBeginsIt) {
    struct Case {
        const wchar_t* name;
        const wchar_t* savedAs;
    } cases[] = {
        {L"plain", L"plain.lnk"},
        {L"upper.LNK", L"upper.LNK"},
        {L"text.txt", L"text.txt.lnk"},
        {L"longer.lnkx", L"longer.lnkx"},
        {L"dotted.folder\\inside", L"dotted.folder\\inside.lnk"},
    };
    for (const Case& c : cases) {
        std::wstring path = temp.PathOf(c.name);
        ASSERT_TRUE(CreateShortcut(L"", target, L"", path, L"", 0)) << c.name;
        EXPECT_TRUE(FileExists(temp.PathOf(c.savedAs))) << c.name;
        if (path != temp.PathOf(c.savedAs))
            EXPECT_FALSE(PathExists(path)) << c.name;
        else
            EXPECT_FALSE(PathExists(path + L".lnk")) << c.name;
    }
}

// The full-path step drops a name's trailing dots, as Windows does, so a
// bare dot never reaches the extension check.
TEST_F(ShortcutTest, TrailingDotOfTheNameIsDropped) {
    std::wstring path = temp.PathOf(L"bare.");
    ASSERT_TRUE(CreateShortcut(L"", target, L"", path, L"", 0));
    EXPECT_TRUE(FileExists(temp.PathOf(L"bare.lnk")));
    EXPECT_FALSE(FileExists(temp.PathOf(L"bare")));
}

TEST_F(ShortcutTest, IconComesFromIconPathOrTarget) {
    const std::wstring iconFile = temp.PathOf(L"game\\game.ico");
    struct Case {
        const wchar_t* name;
        std::wstring iconPath;
        int32_t index;
        std::wstring expectedPath;
        int32_t expectedIndex;
    } cases[] = {
        {L"no icon", L"", -1, L"", 0},
        {L"target icon", L"", 3, target, 3},
        {L"icon file", iconFile, 5, iconFile, 0},
    };
    for (const Case& c : cases) {
        std::wstring path = temp.PathOf(std::wstring(c.name) + L".lnk");
        ASSERT_TRUE(CreateShortcut(L"", target, L"", path, c.iconPath, c.index)) << c.name;
        ShortcutInfo info;
        ASSERT_TRUE(ReadShortcut(path, info)) << c.name;
        EXPECT_EQ(c.expectedPath, info.iconPath) << c.name;
        EXPECT_EQ(c.expectedIndex, info.iconIndex) << c.name;
    }
}

TEST_F(ShortcutTest, WorkingFolderDefaultsToTheTargetsFolder) {
    std::wstring path = temp.PathOf(L"default.lnk");
    ASSERT_TRUE(CreateShortcut(L"", target, L"", path, L"", 0));
    TargetRead result = ReadTarget(path);
    ASSERT_TRUE(result.read);
    EXPECT_EQ(GetFullPathFolder(target), result.folder);
}

TEST_F(ShortcutTest, ExistingFileIsReplaced) {
    ASSERT_TRUE(temp.WriteFile(L"old.lnk", "not a shortcut at all"));
    ASSERT_TRUE(CreateShortcut(L"new", target, L"", temp.PathOf(L"old.lnk"), L"", 0));
    ShortcutInfo info;
    ASSERT_TRUE(ReadShortcut(temp.PathOf(L"old.lnk"), info));
    EXPECT_EQ(L"new", info.description);
}

TEST_F(ShortcutTest, CreateFailsWithoutTargetNameOrFolder) {
    ASSERT_TRUE(temp.WriteFile(L"blocker", "a file where a folder should be"));
    struct Case {
        const wchar_t* name;
        std::wstring target;
        std::wstring shortcut;
    } cases[] = {
        {L"empty target", L"", temp.PathOf(L"a.lnk")},
        {L"empty shortcut path", target, L""},
        {L"no name", target, temp.PathOf(L"folder\\")},
        {L"folder is a file", target, temp.PathOf(L"blocker\\b.lnk")},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(CreateShortcut(L"", c.target, L"", c.shortcut, L"", 0)) << c.name;
    EXPECT_FALSE(PathExists(temp.PathOf(L"a.lnk")));
    EXPECT_FALSE(PathExists(temp.PathOf(L"folder")));
}

TEST_F(ShortcutTest, ReadTargetGivesTheTargetsAttributes) {
    ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    std::wstring path = temp.PathOf(L"attributes.lnk");
    ASSERT_TRUE(CreateShortcut(L"", target, L"-x", path, L"", 0));
    TargetRead result = ReadTarget(path);
    ASSERT_TRUE(result.read);
    EXPECT_EQ(target, result.target);
    EXPECT_EQ(L"-x", result.arguments);
    EXPECT_EQ(::GetFileAttributesW(target.c_str()), result.attributes);
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Wine's link object makes a relative path of a target that begins with a
// reference, so the reference sits after the drive here.
TEST_F(ShortcutTest, ReadTargetExpandsEnvironmentReferences) {
    const std::wstring game = temp.PathOf(L"game");
    ASSERT_EQ(L':', game[1]);
    ASSERT_TRUE(::SetEnvironmentVariableW(L"VQ_SHORTCUT_TEST", game.substr(3).c_str()));
    const std::wstring drive = game.substr(0, 3);
    std::wstring path = temp.PathOf(L"env.lnk");
    ASSERT_TRUE(CreateShortcut(L"", drive + L"%VQ_SHORTCUT_TEST%\\game.exe", L"%NOT_EXPANDED%", path, L"", 0,
                               drive + L"%VQ_SHORTCUT_TEST%"));

    TargetRead result = ReadTarget(path);
    ASSERT_TRUE(result.read);
    EXPECT_EQ(target, result.target);
    EXPECT_EQ(game, result.folder);
    EXPECT_EQ(L"%NOT_EXPANDED%", result.arguments);

    // ReadShortcut gives the texts as stored.
    ShortcutInfo info;
    ASSERT_TRUE(ReadShortcut(path, info));
    EXPECT_EQ(drive + L"%VQ_SHORTCUT_TEST%\\game.exe", info.targetPath);
    EXPECT_EQ(drive + L"%VQ_SHORTCUT_TEST%", info.workingFolder);
    ::SetEnvironmentVariableW(L"VQ_SHORTCUT_TEST", nullptr);
}

TEST_F(ShortcutTest, ReadingNeedsAnExistingLnkFile) {
    std::wstring good = temp.PathOf(L"good.lnk");
    ASSERT_TRUE(CreateShortcut(L"", target, L"-a", good, L"", 0));
    ASSERT_TRUE(::CopyFileW(good.c_str(), temp.PathOf(L"copy.lnk.bak").c_str(), TRUE));
    ASSERT_TRUE(::CopyFileW(good.c_str(), temp.PathOf(L"noextension").c_str(), TRUE));
    ASSERT_TRUE(temp.MakeFolder(L"folder.lnk"));
    ASSERT_TRUE(temp.WriteFile(L"broken.lnk", "garbage"));
    const wchar_t* names[] = {L"copy.lnk.bak", L"noextension", L"folder.lnk", L"missing.lnk", L"broken.lnk"};
    for (const wchar_t* name : names) {
        std::wstring read = L"old";
        std::wstring folder = L"old";
        std::wstring arguments = L"old";
        uint32_t attributes = 7;
        EXPECT_FALSE(ReadShortcutTarget(temp.PathOf(name), read, attributes, folder, arguments)) << name;
        EXPECT_TRUE(read.empty() && folder.empty() && arguments.empty()) << name;
        ShortcutInfo info;
        info.targetPath = L"old";
        EXPECT_FALSE(ReadShortcut(temp.PathOf(name), info)) << name;
        EXPECT_TRUE(info.targetPath.empty()) << name;
    }
}

bool MakeLinkObject(VQComPtr<IShellLinkW>& link, VQComPtr<IPersistFile>& file) {
    return SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                        link.ReceiveVoid())) &&
           SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.ReceiveVoid()));
}

// Hot key and show command are not written by CreateShortcut: the test
// writes them through the link object itself.
TEST_F(ShortcutTest, ReadShortcutGivesHotKeyAndShowCommand) {
    VQComPtr<IShellLinkW> link;
    VQComPtr<IPersistFile> file;
    ASSERT_TRUE(MakeLinkObject(link, file));
    const WORD hotKey = MAKEWORD('G', HOTKEYF_CONTROL | HOTKEYF_ALT);
    link->SetPath(target.c_str());
    link->SetHotkey(hotKey);
    link->SetShowCmd(SW_SHOWMINNOACTIVE);
    const std::wstring longArguments(1000, L'a');
    link->SetArguments(longArguments.c_str());
    std::wstring path = temp.PathOf(L"hotkey.lnk");
    ASSERT_TRUE(SUCCEEDED(file->Save(path.c_str(), TRUE)));

    // Wine's loader does not restore the saved show command, so the value
    // expected is what a link object loaded from the file reports.
    VQComPtr<IShellLinkW> loaded;
    VQComPtr<IPersistFile> loadedFile;
    ASSERT_TRUE(MakeLinkObject(loaded, loadedFile));
    ASSERT_TRUE(SUCCEEDED(loadedFile->Load(path.c_str(), STGM_READ)));
    int expectedShowCommand = -1;
    ASSERT_TRUE(SUCCEEDED(loaded->GetShowCmd(&expectedShowCommand)));

    ShortcutInfo info;
    ASSERT_TRUE(ReadShortcut(path, info));
    EXPECT_EQ(hotKey, info.hotKey);
    EXPECT_EQ(expectedShowCommand, info.showCommand);
    EXPECT_EQ(longArguments, info.arguments);
}

}  // namespace
}  // namespace Tessar
