#include "VQCore/download/SoftwareDetect.h"

#include "common/FormatText.h"
#include "common/SystemUtil.h"
#include "VQCore/download/VersionProbe.h"

namespace Tessar {

namespace {

const wchar_t kPhysXKey[] = L"SOFTWARE\\AGEIA Technologies";
const wchar_t kPhysXLoader[] = L"PhysXLoader.dll";
const char kPhysXExport[] = "physxDevInit";

const wchar_t kJavaKey[] = L"SOFTWARE\\JavaSoft\\Java Runtime Environment";

const wchar_t kFlashProgId[] = L"ShockwaveFlash.ShockwaveFlash";
const wchar_t kFlashUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Adobe Flash Player ActiveX";
const wchar_t kFlashServerKey[] = L"CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}\\InprocServer32";

}  // namespace

void VQLibraryDetect::Detect() {
    installed = 0;
    const std::wstring path = m_environment.LibraryPath(m_library);
    if (GetFileProductVersion(path, version))
        installed = CanLoadLibrary(path) ? 1 : 0;
}

void VQPhysXDetect::Detect() {
    installed = 0;
    VQRegKeyHolder key;
    uint32_t value = 0;
    if (!m_environment.localMachine.Open(key, kPhysXKey) || !key.RegQueryDword(L"PhysX Version", value))
        return;
    registryVersion[0] = (value % 100000000) / 1000000;
    registryVersion[1] = (value % 1000000) / 10000;
    registryVersion[2] = (value % 10000) / 100;
    registryVersion[3] = value % 100;
    const std::wstring loader = m_environment.LibraryPath(kPhysXLoader);
    if (GetFileProductVersion(loader, fileVersion))
        installed = CanLoadLibrary(loader, kPhysXExport) ? 1 : 0;
}

void VQJavaDetect::Detect() {
    installed = 0;
    uint16_t nativeMachine = 0;
    switch (m_environment.processorArchitecture ? m_environment.processorArchitecture() : 0) {
    case PROCESSOR_ARCHITECTURE_AMD64: nativeMachine = IMAGE_FILE_MACHINE_AMD64; break;
    case PROCESSOR_ARCHITECTURE_IA64: nativeMachine = IMAGE_FILE_MACHINE_IA64; break;
    case PROCESSOR_ARCHITECTURE_ARM64: nativeMachine = IMAGE_FILE_MACHINE_ARM64; break;
    default: break;  // a 32-bit Windows has one view
    }
    if (nativeMachine != 0) {
        DetectInView(VQRegistryView::k64Bit, nativeMachine);
        if (installed != 0)
            return;
    }
    DetectInView(VQRegistryView::k32Bit, IMAGE_FILE_MACHINE_I386);
}

void VQJavaDetect::DetectInView(VQRegistryView view, uint16_t machine) {
    VQRegKeyHolder key;
    std::wstring current;
    // An empty name would open the runtime key itself as the release's key.
    if (!m_environment.localMachine.Open(key, kJavaKey, view) || !key.RegQueryString(L"CurrentVersion", current) ||
        current.empty())
        return;
    ParseVersionText(current, version);
    VQRegKeyHolder release;
    if (!m_environment.localMachine.Open(release, std::wstring(kJavaKey) + L'\\' + current, view))
        return;
    std::wstring home, runtimeLibrary;
    if (!release.RegQueryString(L"JavaHome", home) || home.empty())
        return;
    if (!release.RegQueryString(L"RuntimeLib", runtimeLibrary) || runtimeLibrary.empty())
        return;
    // The library must be built for the view's machine; only one of this
    // program's own machine is loaded to prove it works.
    if (!IsLibraryImageFor(runtimeLibrary, machine))
        return;
    installed = machine != OwnImageMachine() || CanLoadLibrary(runtimeLibrary) ? 1 : 0;
}

void VQFlashDetect::Detect() {
    installed = 0;
    CLSID clsid = {};
    if (!m_environment.clsidFromProgId || FAILED(m_environment.clsidFromProgId(kFlashProgId, &clsid)))
        return;
    installed = 1;

    VQRegKeyHolder uninstall;
    std::wstring name;
    if (m_environment.localMachine.Open(uninstall, kFlashUninstallKey) && uninstall.RegQueryString(L"DisplayName", name)) {
        versionText = name;
        return;
    }
    VQRegKeyHolder server;
    std::wstring file;
    if (!m_environment.classesRoot.Open(server, kFlashServerKey) || !server.RegQueryString(L"", file) || file.empty())
        return;
    uint32_t fileVersion[4] = {0, 0, 0, 0};
    // The server path may be written with environment references.
    if (GetFileProductVersion(ExpandEnvironmentText(file), fileVersion))
        versionText = FormatString(L"Adobe Flash Player %d ActiveX", static_cast<int>(fileVersion[0]));
}

}  // namespace Tessar
