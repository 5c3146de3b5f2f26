#pragma once
// A scratch world for the self-upgrade tests: the temporary folder (and so
// the work folder "vqtemp") and the program folder both lie in a folder the
// test owns; the stand-in programs and libraries come from the build.

#include "tests/support/TempFolder.h"

#include <windows.h>

#include <string>

namespace Tessar {
namespace Test {

// A file of the build's update fixtures (fixtures/update), Windows path.
std::wstring UpdateFixturePath(const std::wstring& name);

// Whole-file helpers on full paths; ReadBytes gives "" for a missing file.
std::string ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);

// Sets (or, with an empty value, removes) an environment variable for the
// scope; child processes inherit it.
class VQScopedEnvironment {
public:
    VQScopedEnvironment(const wchar_t* name, const std::wstring& value);
    ~VQScopedEnvironment();
    VQScopedEnvironment(const VQScopedEnvironment&) = delete;
    VQScopedEnvironment& operator=(const VQScopedEnvironment&) = delete;

private:
    std::wstring m_name;
    std::wstring m_before;
    bool m_had = false;
};

// TMP and TEMP point at root\temp and the program folder is root\program
// for the scope.
class VQUpgradeWorld {
public:
    VQUpgradeWorld();
    ~VQUpgradeWorld();

    bool Ready() const { return m_ready; }
    const VQTempFolder& Root() const { return m_root; }
    std::wstring TempFolder() const { return m_root.PathOf(L"temp"); }
    std::wstring WorkFolder() const { return m_root.PathOf(L"temp\\vqtemp"); }
    std::wstring ProgramFolder() const { return m_root.PathOf(L"program"); }

private:
    VQTempFolder m_root;
    VQScopedEnvironment* m_tmp = nullptr;
    VQScopedEnvironment* m_temp = nullptr;
    bool m_ready = false;
};

// Waits up to timeoutMs for the file to exist with some content.
bool WaitForFile(const std::wstring& path, DWORD timeoutMs);

}  // namespace Test
}  // namespace Tessar
