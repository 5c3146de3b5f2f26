#pragma once
// A scratch folder owned by one test: made empty under the system's
// temporary folder and deleted with everything in it at the end.

#include <string>

namespace Tessar {

class VQTempFolder {
public:
    VQTempFolder();
    ~VQTempFolder();
    VQTempFolder(const VQTempFolder&) = delete;
    VQTempFolder& operator=(const VQTempFolder&) = delete;

    // Full path without a trailing backslash; empty when it could not be made.
    const std::wstring& Path() const { return m_path; }
    // The folder joined with a relative name.
    std::wstring PathOf(const std::wstring& name) const;

    // Writes (replacing) a file below the folder, making missing folders.
    bool WriteFile(const std::wstring& name, const std::string& bytes) const;
    // The file's bytes; empty when it cannot be read.
    std::string ReadFile(const std::wstring& name) const;
    bool MakeFolder(const std::wstring& name) const;

private:
    std::wstring m_path;
};

}  // namespace Tessar
