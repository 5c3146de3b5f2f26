#pragma once
// Holder of one loaded library.

#include <windows.h>
#include <string>

namespace Tessar {

class VQModule {
public:
    VQModule() = default;
    ~VQModule() { Free(); }
    VQModule(const VQModule&) = delete;
    VQModule& operator=(const VQModule&) = delete;

    // Loads the library; on failure the module held before is kept. On
    // success the one held before is freed and replaced.
    bool Load(const std::wstring& path);
    // Frees the module; the handle stays when freeing fails.
    void Free();

    HMODULE Get() const { return m_module; }
    // Exported function by name, null when none is held or it is missing.
    FARPROC GetFunction(const char* name) const;

private:
    HMODULE m_module = nullptr;
};

}  // namespace Tessar
