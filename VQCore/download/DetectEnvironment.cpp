#include "VQCore/download/DetectEnvironment.h"

#include <objbase.h>

#include <vector>

#include "common/ExecutableInfo.h"
#include "common/Module.h"
#include "common/PathText.h"

namespace Tessar {

const GUID kDxDiagProviderClsid = {0xA65B8071, 0x3BFE, 0x4213, {0x9A, 0x5B, 0x49, 0x1D, 0xA4, 0x46, 0x1C, 0xA7}};
const GUID kDxDiagProviderIid = {0x9C6B4CB0, 0x23F8, 0x49CC, {0xA3, 0xED, 0x45, 0xA5, 0x50, 0x00, 0xA6, 0xD2}};

namespace {

typedef int(WINAPI* MsiQueryProductStateFunction)(const wchar_t* product);

bool ReadFileProductVersion(const std::wstring& path, uint64_t& version) {
    ExecutableInfo info(path);
    return info.GetProductVersion(version);
}

uint16_t SystemProcessorArchitecture() {
    SYSTEM_INFO info = {};
    ::GetSystemInfo(&info);
    return info.wProcessorArchitecture;
}

bool QuerySystemMsiState(const std::wstring& bracedCode, int32_t& state) {
    VQModule msi;
    if (!msi.Load(L"msi.dll"))
        return false;
    MsiQueryProductStateFunction query =
        reinterpret_cast<MsiQueryProductStateFunction>(msi.GetFunction("MsiQueryProductStateW"));
    if (query == nullptr)
        return false;
    state = query(bracedCode.c_str());
    return true;
}

HRESULT CreateSystemDxDiagProvider(IDxDiagProvider** provider) {
    return ::CoCreateInstance(kDxDiagProviderClsid, nullptr, CLSCTX_INPROC_SERVER, kDxDiagProviderIid,
                              reinterpret_cast<void**>(provider));
}

}  // namespace

std::wstring VQRegistryRoot::PathOf(const std::wstring& path, VQRegistryView view) const {
    const std::wstring& root = view == VQRegistryView::k64Bit && !base64.empty() ? base64 : base;
    if (root.empty())
        return path;
    if (path.empty())
        return root;
    return root + L'\\' + path;
}

bool VQRegistryRoot::Open(VQRegKeyHolder& holder, const std::wstring& path, VQRegistryView view) const {
    const REGSAM viewFlag = view == VQRegistryView::k64Bit ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    return holder.RegOpenKeyPath(key, PathOf(path, view), KEY_QUERY_VALUE | viewFlag);
}

VQDetectEnvironment::VQDetectEnvironment()
    : fileProductVersion(ReadFileProductVersion),
      processorArchitecture(SystemProcessorArchitecture),
      clsidFromProgId([](const wchar_t* progId, CLSID* clsid) { return ::CLSIDFromProgID(progId, clsid); }),
      msiProductState(QuerySystemMsiState),
      createDxDiagProvider(CreateSystemDxDiagProvider) {
    localMachine.key = HKEY_LOCAL_MACHINE;
    classesRoot.key = HKEY_CLASSES_ROOT;
}

std::wstring VQDetectEnvironment::LibraryPath(const std::wstring& name) const {
    return systemFolder.empty() ? name : CombinePath(systemFolder, name);
}

std::wstring VQDetectEnvironment::SystemFolder() const {
    if (!systemFolder.empty())
        return systemFolder;
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    UINT length = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.assign(length + 1, L'\0');
        length = ::GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    }
    if (length == 0 || length >= buffer.size())
        return std::wstring();
    return std::wstring(buffer.data(), length);
}

}  // namespace Tessar
