// The package operation of the install queue: installs on its own thread,
// hands back the game's folder, program and arguments, and stops when
// cancelled or destroyed while it runs.
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/download/UninstallRecord.h"
#include "VQCore/download/UnpackerOperation.h"
#include "common/KernelHandle.h"
#include "common/PathText.h"
#include "tests/VQCore/download/InstallTestUtil.h"
#include "tests/VQCore/download/PackageTestUtil.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <thread>

namespace Tessar {
namespace {

// Holds the install at the start of the named entry until released.
class VQHoldAt : public IUnpackProgress {
public:
    explicit VQHoldAt(const std::wstring& name)
        : m_name(name),
          m_entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          m_release(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    void OnExtractStart() override {}
    void OnEntryStart(VQTocNode& node) override {
        if (node.name != m_name)
            return;
        ::SetEvent(m_entered.Get());
        ::WaitForSingleObject(m_release.Get(), 60000);
    }
    void OnProgress(double, double) override {}
    void OnEntryEnd(VQTocNode&) override {}
    void OnExtractEnd(bool) override {}

    bool WaitEntered() { return ::WaitForSingleObject(m_entered.Get(), 30000) == WAIT_OBJECT_0; }
    void Release() { ::SetEvent(m_release.Get()); }

private:
    std::wstring m_name;
    VQKernelHandle m_entered;
    VQKernelHandle m_release;
};

class UnpackerOperationTest : public ::testing::Test {
protected:
    UnpackerOperationTest() : m_special(m_folder.PathOf(L"special")) {}

    std::wstring Target() const { return m_folder.PathOf(L"Games"); }
    std::wstring HeldPackage() {
        VQTocNode root(nullptr, kTocFolder);
        AddBytesEntry(root, L"a.txt", kTocFile, "a", kConverterZip);
        AddBytesEntry(root, L"hold.txt", kTocFile, "h", kConverterZip);
        AddBytesEntry(root, L"z.txt", kTocFile, "z", kConverterZip);
        return WriteInstallPackage(root, m_folder.PathOf(L"p.vqz"), {{kMetaFolder, L"Held"}});
    }
    static bool Ended(const VQUnpackerOperation& operation) {
        return ::WaitForSingleObject(operation.GetThreadHandle(), 60000) == WAIT_OBJECT_0;
    }

    VQTempFolder m_folder;
    VQScratchMacroFolders m_special;
};

TEST_F(UnpackerOperationTest, InstallsOnItsThreadAndHandsBackTheGame) {
    VQUnpackerOperation operation(new VQSfxInstall(FixturePath(L"game.vqz")), Target());
    EXPECT_EQ(INVALID_HANDLE_VALUE, operation.GetThreadHandle());
    ASSERT_TRUE(operation.StartThread());
    ASSERT_TRUE(Ended(operation));
    operation.WaitThread();
    ASSERT_TRUE(operation.IsSucceeded());
    const std::wstring folder = Target() + L"\\Fixture Game";
    EXPECT_EQ(folder, operation.GetInstallFolder());
    EXPECT_EQ(folder + L"\\game.exe", operation.GetProgramPath());
    EXPECT_TRUE(FileExists(operation.GetProgramPath()));
    EXPECT_EQ(L"-window -fast", operation.GetArguments());
    // What the installed list keeps to vouch for the game's uninstall record.
    EXPECT_EQ(32u, operation.GetUninstallDigest().size());
    EXPECT_EQ(UninstallRecordDigest(folder + L"\\VQUnistall.dat"), operation.GetUninstallDigest());
}

TEST_F(UnpackerOperationTest, AFailedInstallGivesNothingBack) {
    ASSERT_TRUE(m_folder.WriteFile(L"bad.vqz", "VQZ\x02 not a package"));
    for (const wchar_t* name : {L"missing.vqz", L"bad.vqz"}) {
        VQUnpackerOperation operation(new VQSfxInstall(m_folder.PathOf(name)), Target());
        ASSERT_TRUE(operation.StartThread());
        ASSERT_TRUE(Ended(operation));
        operation.WaitThread();
        EXPECT_FALSE(operation.IsSucceeded());
        EXPECT_EQ(L"", operation.GetInstallFolder());
        EXPECT_EQ(L"", operation.GetProgramPath());
        EXPECT_EQ(L"", operation.GetArguments());
        EXPECT_EQ(L"", operation.GetUninstallDigest());
    }
    EXPECT_FALSE(PathExists(Target()));
}

TEST_F(UnpackerOperationTest, ACancelStopsTheInstall) {
    VQHoldAt hold(L"hold.txt");
    VQSfxInstall* install = new VQSfxInstall(HeldPackage());
    install->SetObserver(&hold);
    VQUnpackerOperation operation(install, Target());
    ASSERT_TRUE(operation.StartThread());
    ASSERT_TRUE(hold.WaitEntered());
    operation.Cancel();
    hold.Release();
    ASSERT_TRUE(Ended(operation));
    operation.WaitThread();
    EXPECT_FALSE(operation.IsSucceeded());
    EXPECT_FALSE(PathExists(Target()));
}

TEST_F(UnpackerOperationTest, DestroyingARunningOperationStopsItFirst) {
    VQHoldAt hold(L"hold.txt");
    VQSfxInstall* install = new VQSfxInstall(HeldPackage());
    install->SetObserver(&hold);
    VQUnpackerOperation* operation = new VQUnpackerOperation(install, Target());
    ASSERT_TRUE(operation->StartThread());
    ASSERT_TRUE(hold.WaitEntered());
    std::thread releaser([&hold]() {
        ::Sleep(200);
        hold.Release();
    });
    delete operation;  // cancels, then waits for the held thread
    releaser.join();
    EXPECT_FALSE(PathExists(Target()));
}

}  // namespace
}  // namespace Tessar
