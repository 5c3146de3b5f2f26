#include "VQCore/app/environment/RuntimeDetection.h"

#include "tests/support/ScratchRegistryKey.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

// A machine with nothing on it: empty registry trees in a scratch key, an
// empty system folder, no MSI products, no ProgIDs, no DxDiag.
VQDetectEnvironment EmptyMachine(const VQScratchRegistryKey& scratch, const VQTempFolder& folder) {
    VQDetectEnvironment environment;
    environment.localMachine.key = scratch.Root();
    environment.localMachine.base = scratch.Path() + L"\\HKLM";
    environment.classesRoot.key = scratch.Root();
    environment.classesRoot.base = scratch.Path() + L"\\HKCR";
    environment.systemFolder = folder.Path();
    environment.fileProductVersion = [](const std::wstring&, uint64_t&) { return false; };
    environment.processorArchitecture = [] { return static_cast<uint16_t>(PROCESSOR_ARCHITECTURE_AMD64); };
    environment.clsidFromProgId = [](const wchar_t*, CLSID*) { return static_cast<HRESULT>(REGDB_E_CLASSNOTREG); };
    environment.msiProductState = [](const std::wstring&, int32_t&) { return false; };
    environment.createDxDiagProvider = [](IDxDiagProvider**) { return static_cast<HRESULT>(REGDB_E_CLASSNOTREG); };
    return environment;
}

TEST(RuntimeDetection, NothingInstalledFindsNothingAndKeepsTheDirectXBefore) {
    VQScratchRegistryKey scratch;
    VQTempFolder folder;
    ASSERT_TRUE(scratch.IsValid());
    VQRuntimeState state;
    state.directXMajor = 9;  // from an earlier run
    state.directXMinor = 0;
    state.vcMask = 0xFF;
    state.java = true;
    DetectRuntimeState(state, EmptyMachine(scratch, folder));
    EXPECT_FALSE(state.xLive);
    EXPECT_FALSE(state.physX);
    EXPECT_FALSE(state.java);
    EXPECT_FALSE(state.openAl);
    EXPECT_FALSE(state.flash);
    EXPECT_EQ(0u, state.vcMask);
    EXPECT_EQ(0u, state.xnaMask);
    EXPECT_EQ(0u, state.dotNetMask);
    EXPECT_EQ(9u, state.directXMajor);
    // The rows of a game that needs them all are all missing but DirectX.
    for (const RuntimeRequirement* runtime : RuntimeRowsFor(1, 0x07FF))
        EXPECT_EQ(runtime->packageId == 40018, IsRuntimeInstalled(*runtime, state)) << runtime->packageId;
}

}  // namespace
}  // namespace Tessar
