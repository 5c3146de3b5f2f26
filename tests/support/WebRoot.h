// Files served to the download tests: a web root that both the Unix
// servers and the Windows test reach, the servers that serve it (nginx,
// and the range server that gets things wrong on purpose), and generated
// file contents.
#pragma once

#include "tests/support/LocalServer.h"

#include <cstdint>
#include <string>

namespace Tessar {
namespace Test {

// Deterministic pseudo-random bytes.
std::string MakeTestBytes(size_t size, uint32_t seed);
std::wstring Md5Of(const std::string& bytes);

// A folder under the build folder, known by its Unix path (for the
// servers) and its Windows path; deleted with its contents at the end.
class VQWebRoot {
public:
    VQWebRoot();
    ~VQWebRoot();
    VQWebRoot(const VQWebRoot&) = delete;
    VQWebRoot& operator=(const VQWebRoot&) = delete;

    const std::string& UnixPath() const { return m_unix; }
    std::wstring WindowsPath(const std::wstring& name) const;
    bool WriteFile(const std::wstring& name, const std::string& bytes) const;

private:
    std::string m_unix;
};

// servers/nginx_server.sh and servers/range_fault_server.py on the root.
bool StartNginx(VQLocalServer& server, const VQWebRoot& root);
bool StartFaultServer(VQLocalServer& server, const VQWebRoot& root);

// Whole-file helpers on Windows paths.
std::string ReadWholeFile(const std::wstring& path);
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
bool FileIsThere(const std::wstring& path);

}  // namespace Test
}  // namespace Tessar
