#pragma once
// The update window's temporary folder for the release download: a new
// folder "VQ$D.AAA.BBB" in the temporary folder, deleted with its contents
// when the record goes.

#include <string>

namespace Tessar {

class VQUpdateTempFolder {
public:
    VQUpdateTempFolder() = default;
    ~VQUpdateTempFolder();
    VQUpdateTempFolder(const VQUpdateTempFolder&) = delete;
    VQUpdateTempFolder& operator=(const VQUpdateTempFolder&) = delete;

    // Deletes the folder held before, then makes a new one.
    bool Create();
    bool Exists() const { return m_exists; }
    // With a trailing backslash.
    const std::wstring& Path() const { return m_path; }

private:
    bool m_exists = false;
    std::wstring m_path;
};

// Makes a new folder named from the prefix and two numbers drawn once per
// process ("%sD.%.03d.%.03d") in base (the temporary folder when empty);
// a name that exists moves on to the next. The path ends in a backslash.
bool MakeUniqueTempFolder(std::wstring& path, const std::wstring& baseFolder, const std::wstring& prefix);

}  // namespace Tessar
