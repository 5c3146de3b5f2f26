#include "common/Module.h"

namespace Tessar {

bool VQModule::Load(const std::wstring& path) {
    HMODULE module = ::LoadLibraryW(path.c_str());
    if (module == nullptr)
        return false;
    Free();
    m_module = module;
    return true;
}

void VQModule::Free() {
    if (m_module != nullptr && ::FreeLibrary(m_module))
        m_module = nullptr;
}

FARPROC VQModule::GetFunction(const char* name) const {
    return m_module != nullptr ? ::GetProcAddress(m_module, name) : nullptr;
}

}  // namespace Tessar
