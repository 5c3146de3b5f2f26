#pragma once
// What the runtime detectors ask of the system, in one place: registry
// roots, the system folder and the few platform calls that a test machine
// cannot answer at will. A default-constructed environment is the real
// system; tests replace single members.

#include "common/Registry.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

struct IDxDiagProvider;

namespace Tessar {

// The two registry views of a 64-bit Windows (one and the same elsewhere).
enum class VQRegistryView { k32Bit, k64Bit };

// A registry root, optionally moved below a key (tests keep their trees in
// a scratch key, which has no views of its own: base64 gives the 64-bit
// view's tree a key of its own there).
struct VQRegistryRoot {
    HKEY key = nullptr;
    std::wstring base;    // empty: the root itself
    std::wstring base64;  // empty: base

    std::wstring PathOf(const std::wstring& path, VQRegistryView view = VQRegistryView::k32Bit) const;
    // Opens root\path with KEY_QUERY_VALUE in the 32-bit registry view
    // unless told otherwise: runtime installers of the games' era write
    // their keys there, and the detectors must see what they wrote whatever
    // the bitness of this program.
    bool Open(VQRegKeyHolder& holder, const std::wstring& path, VQRegistryView view = VQRegistryView::k32Bit) const;
};

// The DxDiag provider's class and interface.
extern const GUID kDxDiagProviderClsid;  // {A65B8071-3BFE-4213-9A5B-491DA4461CA7}
extern const GUID kDxDiagProviderIid;    // {9C6B4CB0-23F8-49CC-A3ED-45A55000A6D2}

// MsiQueryProductStateW by braced product code; false when msi.dll or the
// function is missing.
using VQMsiStateQuery = std::function<bool(const std::wstring& bracedCode, int32_t& state)>;

struct VQDetectEnvironment {
    VQDetectEnvironment();

    VQRegistryRoot localMachine;  // HKEY_LOCAL_MACHINE
    VQRegistryRoot classesRoot;   // HKEY_CLASSES_ROOT
    // Empty: GetSystemDirectoryW for the DirectX files, and the loader's
    // search order for runtime libraries named without a folder.
    std::wstring systemFolder;

    // The 64-bit product version of a DirectX file of the system folder
    // (ExecutableInfo::GetProductVersion).
    std::function<bool(const std::wstring& path, uint64_t& version)> fileProductVersion;
    std::function<uint16_t()> processorArchitecture;  // GetSystemInfo
    std::function<HRESULT(const wchar_t* progId, CLSID* clsid)> clsidFromProgId;
    VQMsiStateQuery msiProductState;
    // CoCreateInstance of the DxDiag provider; COM is initialised by the caller.
    std::function<HRESULT(IDxDiagProvider** provider)> createDxDiagProvider;

    // The library name as the loader and the version reader should see it.
    std::wstring LibraryPath(const std::wstring& name) const;
    // The system folder; empty when it cannot be found.
    std::wstring SystemFolder() const;
};

}  // namespace Tessar
