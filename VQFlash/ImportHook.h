#pragma once
// Replacing one imported function in the import address tables of the
// modules loaded in this process (the game windows mute waveOutWrite and
// speed timeGetTime up this way). Modules that look the function up with
// GetProcAddress are not affected. Every step fails silently: a module that
// does not import the function, or whose table cannot be written, is left
// as it is.
//
// Hooks are installed and removed on the UI thread. A hook that watches
// LoadLibrary also patches each module loaded later, on whichever thread
// loads it; the list of watching hooks is guarded by one process-wide lock.

#include <windows.h>

#include <atomic>
#include <string>

namespace Tessar {

class VQImportHook {
public:
    // includeOwnModule: patch this program's own module too. watchLoadLibrary:
    // patch modules loaded after Install as well (through hooks on the four
    // LoadLibrary functions of Kernel32.dll, shared by all watching hooks).
    VQImportHook(const std::wstring& moduleName, const std::wstring& functionName, FARPROC replacement,
                 bool includeOwnModule = true, bool watchLoadLibrary = false);
    ~VQImportHook();  // removes the hook
    VQImportHook(const VQImportHook&) = delete;
    VQImportHook& operator=(const VQImportHook&) = delete;

    // Nothing without a replacement, when already installed, or when the
    // module is not loaded or lacks the function.
    void Install();
    // Puts the real function back into every entry that holds the replacement.
    void Remove();

    bool IsInstalled() const { return GetRealFunction() != nullptr; }
    // The hooked function; null while not installed.
    FARPROC GetRealFunction() const { return m_realFunction.load(); }
    FARPROC GetReplacement() const { return m_replacement; }
    const std::wstring& GetModuleName() const { return m_moduleName; }
    const std::wstring& GetFunctionName() const { return m_functionName; }
    bool IncludesOwnModule() const { return m_includeOwnModule; }
    bool WatchesLoadLibrary() const { return m_watchLoadLibrary; }

private:
    friend void RepatchLoadedModule(HMODULE module);
    // The function as this process calls it now; null when not found.
    FARPROC Resolve() const;

    std::wstring m_moduleName;
    std::wstring m_functionName;
    FARPROC m_replacement;
    std::atomic<FARPROC> m_realFunction{nullptr};
    bool m_includeOwnModule;
    bool m_watchLoadLibrary;
};

// Replaces `from` by `to` in every loaded module's imports of the hook's
// module (this program's own module skipped unless included).
void PatchAllModules(const VQImportHook& hook, FARPROC from, FARPROC to, bool includeOwnModule);
// The same for one module, given by its base address.
void PatchModuleImports(const VQImportHook& hook, FARPROC from, FARPROC to, HMODULE moduleBase);
// Applies every LoadLibrary-watching hook to a module just loaded; nothing
// for a null handle.
void RepatchLoadedModule(HMODULE module);

}  // namespace Tessar
