#include "tests/VQUpdate/UpdateTestUtil.h"

#include "VQCore/gamelib/AppFolder.h"
#include "common/FileUtil.h"
#include "tests/support/LocalServer.h"

#include <fstream>
#include <sstream>

namespace Tessar {
namespace Test {

std::wstring UpdateFixturePath(const std::wstring& name) {
    return UnixToWindowsPath(BinaryDirUnix() + "/fixtures/update") + L"\\" + name;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in)
        return std::string();
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

VQScopedEnvironment::VQScopedEnvironment(const wchar_t* name, const std::wstring& value) : m_name(name) {
    wchar_t before[4096];
    DWORD length = GetEnvironmentVariableW(name, before, 4096);
    m_had = length > 0 && length < 4096;
    if (m_had)
        m_before = before;
    SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}

VQScopedEnvironment::~VQScopedEnvironment() {
    SetEnvironmentVariableW(m_name.c_str(), m_had ? m_before.c_str() : nullptr);
}

VQUpgradeWorld::VQUpgradeWorld() {
    m_ready = !m_root.Path().empty() && m_root.MakeFolder(L"temp") && m_root.MakeFolder(L"program");
    if (!m_ready)
        return;
    m_tmp = new VQScopedEnvironment(L"TMP", TempFolder());
    m_temp = new VQScopedEnvironment(L"TEMP", TempFolder());
    SetAppFolderOverride(ProgramFolder());
}

VQUpgradeWorld::~VQUpgradeWorld() {
    SetAppFolderOverride(std::wstring());
    delete m_temp;
    delete m_tmp;
}

bool WaitForFile(const std::wstring& path, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (!ReadBytes(path).empty())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
}

}  // namespace Test
}  // namespace Tessar
