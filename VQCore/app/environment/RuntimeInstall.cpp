#include "VQCore/app/environment/RuntimeInstall.h"

#include "VQCore/download/SfxInstall.h"
#include "VQCore/download/Unpacker.h"
#include "VQCore/download/UnpackerOperation.h"
#include "VQCore/gamelib/Settings.h"
#include "common/DriveUtil.h"
#include "common/PathText.h"
#include "common/SystemUtil.h"
#include "common/TempFile.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

namespace Tessar {

namespace {

const wchar_t kFallbackInstallFolder[] = L"C:\\ZelmorGames\\Games";
// An ini value is one line; a folder longer than a long path, or one with
// a line break, cannot be handed over whole and is not handed over at all.
const size_t kMaxHandshakeFolder = 32767;
// The result is read into a buffer of four characters, as setup programs
// written for this hand-shake expect.
const DWORD kResultBufferChars = 4;

bool EndsWithPackageExtension(const std::wstring& path) {
    static const wchar_t kExtension[] = L".vqz";
    const size_t length = wcslen(kExtension);
    return path.size() > length && _wcsicmp(path.c_str() + path.size() - length, kExtension) == 0;
}

class VQScopedHandle {
public:
    explicit VQScopedHandle(HANDLE handle) : m_handle(handle) {}
    ~VQScopedHandle() {
        if (m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE) ::CloseHandle(m_handle);
    }
    VQScopedHandle(const VQScopedHandle&) = delete;
    VQScopedHandle& operator=(const VQScopedHandle&) = delete;
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

}  // namespace

bool IsPackageFile(const std::wstring& path) {
    if (!EndsWithPackageExtension(path)) return false;
    VQScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) return false;
    char magic[sizeof(kPackageMagic)] = {};
    DWORD read = 0;
    if (!::ReadFile(file.Get(), magic, sizeof(magic), &read, nullptr) || read != sizeof(magic)) return false;
    return std::memcmp(magic, kPackageMagic, sizeof(magic)) == 0;
}

std::wstring RuntimeInstallFolder(const std::wstring& installDirSetting, bool onFixedDrive) {
    if (!installDirSetting.empty() && onFixedDrive) return installDirSetting;
    return kFallbackInstallFolder;
}

std::wstring CurrentRuntimeInstallFolder() {
    const std::wstring setting = GetSettingString(L"InstallDir");
    return RuntimeInstallFolder(setting, !setting.empty() && IsOnFixedDrive(setting));
}

std::wstring HandshakeFolderText(const std::wstring& folder) {
    std::wstring text = folder;
    while (!text.empty() && (text.back() == L'\\' || text.back() == L'/')) text.pop_back();
    return text;
}

bool IsInstalledResultText(const std::wstring& text) {
    if (text.empty()) return false;
    const std::wstring bounded = text.substr(0, kResultBufferChars - 1);
    return _wtoi(bounded.c_str()) == 1;
}

static std::wstring ReadHandshakeValue(const std::wstring& handshakePath, const wchar_t* section, const wchar_t* key) {
    // Room for the longest path the system knows: a deep install folder is
    // never cut to a program path that happens to exist. A value that
    // fills the buffer anyway was cut and counts as absent.
    std::vector<wchar_t> value(kMaxHandshakeFolder + 2);
    const DWORD length = ::GetPrivateProfileStringW(section, key, L"", value.data(),
                                                    static_cast<DWORD>(value.size()), handshakePath.c_str());
    if (length >= value.size() - 1) return std::wstring();
    return std::wstring(value.data(), length);
}

VQSetupReport ReadSetupReport(const std::wstring& handshakePath) {
    VQSetupReport report;
    report.path = ReadHandshakeValue(handshakePath, L"report", L"path");
    report.param = ReadHandshakeValue(handshakePath, L"report", L"param");
    return report;
}

VQRuntimeInstallResult RunRuntimeInstaller(const std::wstring& setupFile, const std::wstring& installFolder,
                                           HANDLE stopEvent, VQSetupReport* report) {
    if (setupFile.empty() || !FileExists(setupFile)) return VQRuntimeInstallResult::kFailed;

    TempFileHolder handshake;
    std::wstring handshakePath;
    if (!CreateTempFile(handshake, handshakePath)) return VQRuntimeInstallResult::kFailed;

    const std::wstring folder = HandshakeFolderText(installFolder);
    if (folder.empty() || folder.size() > kMaxHandshakeFolder || folder.find_first_of(L"\r\n") != std::wstring::npos)
        return VQRuntimeInstallResult::kFailed;
    // The profile functions trim blanks at either end of a value unless it
    // is quoted, and take the quotes off again on reading.
    const bool trimmed = folder.front() == L' ' || folder.back() == L' ' || folder.front() == L'"';
    const std::wstring value = trimmed ? L"\"" + folder + L"\"" : folder;
    if (!::WritePrivateProfileStringW(L"install", L"dir", value.c_str(), handshakePath.c_str()))
        return VQRuntimeInstallResult::kFailed;
    // Writes are cached by the system; make the file whole before the
    // setup program opens it.
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, handshakePath.c_str());

    // A window that is already stopping starts no setup program.
    if (stopEvent != nullptr && ::WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0)
        return VQRuntimeInstallResult::kStopped;

    HANDLE started = nullptr;
    // The temporary path may hold spaces: it goes over quoted.
    if (!ShellExecuteTarget(L"", setupFile, QuoteText(handshakePath), L"", SW_SHOWNORMAL, &started) ||
        started == nullptr)
        return VQRuntimeInstallResult::kFailed;
    VQScopedHandle process(started);

    HANDLE waits[2] = {stopEvent, process.Get()};
    const DWORD count = stopEvent != nullptr ? 2 : 1;
    const DWORD waited = ::WaitForMultipleObjects(count, stopEvent != nullptr ? waits : waits + 1, FALSE, INFINITE);
    if (stopEvent != nullptr && waited == WAIT_OBJECT_0) return VQRuntimeInstallResult::kStopped;
    if (waited != WAIT_OBJECT_0 + count - 1) return VQRuntimeInstallResult::kFailed;

    wchar_t result[kResultBufferChars] = {};
    const DWORD length =
        ::GetPrivateProfileStringW(L"report", L"result", L"", result, kResultBufferChars, handshakePath.c_str());
    const bool installed = length > 0 && IsInstalledResultText(std::wstring(result, length));
    if (installed && report != nullptr) *report = ReadSetupReport(handshakePath);
    return installed ? VQRuntimeInstallResult::kInstalled : VQRuntimeInstallResult::kFailed;
}

VQRuntimeInstallResult InstallRuntimePackage(const std::wstring& packageFile, const std::wstring& installFolder,
                                             HANDLE stopEvent) {
    if (packageFile.empty() || !FileExists(packageFile)) return VQRuntimeInstallResult::kFailed;

    std::unique_ptr<VQUnpackerOperation> operation(
        new VQUnpackerOperation(new VQSfxInstall(packageFile), installFolder));
    if (!operation->StartThread()) return VQRuntimeInstallResult::kFailed;

    HANDLE waits[2] = {stopEvent, operation->GetThreadHandle()};
    const DWORD count = stopEvent != nullptr ? 2 : 1;
    const DWORD waited = ::WaitForMultipleObjects(count, stopEvent != nullptr ? waits : waits + 1, FALSE, INFINITE);
    if (stopEvent != nullptr && waited == WAIT_OBJECT_0) {
        operation->Cancel();
        operation->WaitThread();
        return VQRuntimeInstallResult::kStopped;
    }
    operation->WaitThread();
    if (waited != WAIT_OBJECT_0 + count - 1) return VQRuntimeInstallResult::kFailed;
    return operation->IsSucceeded() ? VQRuntimeInstallResult::kInstalled : VQRuntimeInstallResult::kFailed;
}

VQRuntimeInstallResult InstallRuntimeFile(const std::wstring& file, const std::wstring& installFolder,
                                          HANDLE stopEvent) {
    return IsPackageFile(file) ? InstallRuntimePackage(file, installFolder, stopEvent)
                               : RunRuntimeInstaller(file, installFolder, stopEvent);
}

}  // namespace Tessar
