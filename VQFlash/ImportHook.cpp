#include "VQFlash/ImportHook.h"

#include "VQFlash/ImportTable.h"
#include "VQFlash/LoadLibraryWatch.h"

namespace Tessar {

VQImportHook::VQImportHook(const std::wstring& moduleName, const std::wstring& functionName, FARPROC replacement,
                           bool includeOwnModule, bool watchLoadLibrary)
    : m_moduleName(moduleName),
      m_functionName(functionName),
      m_replacement(replacement),
      m_includeOwnModule(includeOwnModule),
      m_watchLoadLibrary(watchLoadLibrary) {}

VQImportHook::~VQImportHook() {
    Remove();
}

FARPROC VQImportHook::Resolve() const {
    return FindLoadedFunction(m_moduleName, m_functionName);
}

void VQImportHook::Install() {
    if (m_replacement == nullptr || IsInstalled())
        return;
    // Watching starts even when the module is not loaded yet: the hook then
    // takes effect when a later LoadLibrary brings it in.
    if (m_watchLoadLibrary)
        WatchLoadLibrary(this);
    FARPROC real = Resolve();
    if (real == nullptr)
        return;
    m_realFunction.store(real);
    PatchAllModules(*this, real, m_replacement, m_includeOwnModule);
}

void VQImportHook::Remove() {
    if (m_watchLoadLibrary)
        UnwatchLoadLibrary(this);
    FARPROC real = m_realFunction.load();
    if (real == nullptr)
        return;
    PatchAllModules(*this, m_replacement, real, m_includeOwnModule);
    // Cleared so that the hook can be installed again.
    m_realFunction.store(nullptr);
}

}  // namespace Tessar
