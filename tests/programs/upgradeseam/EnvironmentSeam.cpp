#include "tests/programs/upgradeseam/EnvironmentSeam.h"

#include "VQUpdate/UpgradeSeam.h"

#include <windows.h>

#include <string>

namespace Tessar {
namespace Test {

const wchar_t kUpgradeSeamVariable[] = L"VQ_UPGRADE_SEAM";
const wchar_t kUpgradeSeamFileVariable[] = L"VQ_UPGRADE_SEAM_FILE";
const wchar_t kInstanceSuffixVariable[] = L"VQ_INSTANCE_SUFFIX";

namespace {

std::wstring Variable(const wchar_t* name) {
    wchar_t value[1024];
    DWORD length = GetEnvironmentVariableW(name, value, 1024);
    if (length == 0 || length >= 1024)
        return std::wstring();
    return std::wstring(value, length);
}

class VQEnvironmentSeam : public IUpgradeSeam {
public:
    void Reached(const std::wstring& step) override {
        std::wstring wanted = Variable(kUpgradeSeamVariable);
        if (wanted.empty() || wanted != step)
            return;
        std::wstring file = Variable(kUpgradeSeamFileVariable);
        if (!file.empty()) {
            // Written under another name and moved, so the reader never sees half.
            std::wstring part = file + L".part";
            HANDLE handle = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle != INVALID_HANDLE_VALUE) {
                std::string pid = std::to_string(GetCurrentProcessId());
                DWORD written = 0;
                WriteFile(handle, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
                CloseHandle(handle);
                MoveFileExW(part.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
            }
        }
        for (;;)
            Sleep(INFINITE);
    }

    std::wstring EventName(const wchar_t* name) override {
        return std::wstring(name) + Variable(kInstanceSuffixVariable);
    }
};

VQEnvironmentSeam g_environmentSeam;
[[maybe_unused]] const bool g_installed = (InstallUpgradeSeam(&g_environmentSeam), true);

}  // namespace

}  // namespace Test
}  // namespace Tessar
