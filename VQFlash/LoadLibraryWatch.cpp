#include "VQFlash/LoadLibraryWatch.h"

#include "VQFlash/ImportHook.h"
#include "VQFlash/ImportTable.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

namespace Tessar {

namespace {

CRITICAL_SECTION* PatchLock() {
    // Never deleted: LoadLibrary replacements may still run during exit.
    static CRITICAL_SECTION* lock = [] {
        auto* section = new CRITICAL_SECTION;
        ::InitializeCriticalSection(section);
        return section;
    }();
    return lock;
}

// Guarded by the patch lock.
std::vector<VQImportHook*>& WatchingHooks() {
    static auto* hooks = new std::vector<VQImportHook*>;
    return *hooks;
}

enum LoadLibraryIndex { IndexA, IndexW, IndexExA, IndexExW, LoadLibraryCount };
const wchar_t kKernelModule[] = L"Kernel32.dll";
const wchar_t* const kLoadLibraryNames[LoadLibraryCount] = {L"LoadLibraryA", L"LoadLibraryW", L"LoadLibraryExA",
                                                            L"LoadLibraryExW"};

// The real functions the replacements call. Set before their hooks are
// installed and never cleared, so a replacement that is still running when
// the hooks go away calls a valid function.
std::atomic<FARPROC> g_realLoadLibrary[LoadLibraryCount];
// Used on the UI thread only; set while the LoadLibrary hooks exist.
std::unique_ptr<VQImportHook> g_loadLibraryHooks[LoadLibraryCount];
bool g_loadLibraryHooked = false;

template <typename Function>
Function Real(LoadLibraryIndex index) {
    return reinterpret_cast<Function>(g_realLoadLibrary[index].load());
}

// Applies the watching hooks to the loaded module, keeping the loader's
// last error for the caller.
HMODULE AfterLoad(HMODULE module) {
    DWORD error = ::GetLastError();
    RepatchLoadedModule(module);
    ::SetLastError(error);
    return module;
}

HMODULE WINAPI WatchedLoadLibraryA(LPCSTR name) {
    auto real = Real<decltype(&::LoadLibraryA)>(IndexA);
    return real != nullptr ? AfterLoad(real(name)) : nullptr;
}

HMODULE WINAPI WatchedLoadLibraryW(LPCWSTR name) {
    auto real = Real<decltype(&::LoadLibraryW)>(IndexW);
    return real != nullptr ? AfterLoad(real(name)) : nullptr;
}

HMODULE WINAPI WatchedLoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags) {
    auto real = Real<decltype(&::LoadLibraryExA)>(IndexExA);
    return real != nullptr ? AfterLoad(real(name, file, flags)) : nullptr;
}

HMODULE WINAPI WatchedLoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags) {
    auto real = Real<decltype(&::LoadLibraryExW)>(IndexExW);
    return real != nullptr ? AfterLoad(real(name, file, flags)) : nullptr;
}

const FARPROC kReplacements[LoadLibraryCount] = {
    reinterpret_cast<FARPROC>(&WatchedLoadLibraryA), reinterpret_cast<FARPROC>(&WatchedLoadLibraryW),
    reinterpret_cast<FARPROC>(&WatchedLoadLibraryExA), reinterpret_cast<FARPROC>(&WatchedLoadLibraryExW)};

void InstallLoadLibraryHooks() {
    g_loadLibraryHooked = true;
    for (int i = 0; i < LoadLibraryCount; ++i) {
        FARPROC real = FindLoadedFunction(kKernelModule, kLoadLibraryNames[i]);
        if (real != nullptr)
            g_realLoadLibrary[i].store(real);
        g_loadLibraryHooks[i].reset(new VQImportHook(kKernelModule, kLoadLibraryNames[i], kReplacements[i]));
        g_loadLibraryHooks[i]->Install();
    }
}

void RemoveLoadLibraryHooks() {
    for (auto& hook : g_loadLibraryHooks) hook.reset();
    g_loadLibraryHooked = false;
}

}  // namespace

VQImportPatchLock::VQImportPatchLock() {
    ::EnterCriticalSection(PatchLock());
}

VQImportPatchLock::~VQImportPatchLock() {
    ::LeaveCriticalSection(PatchLock());
}

// The LoadLibrary hooks are made and dropped on the UI thread only, outside
// the lock: patching every module takes the loader lock, under which other
// threads' replacements wait for this lock.
void WatchLoadLibrary(VQImportHook* hook) {
    {
        VQImportPatchLock lock;
        auto& hooks = WatchingHooks();
        if (std::find(hooks.begin(), hooks.end(), hook) == hooks.end())
            hooks.push_back(hook);
    }
    if (!g_loadLibraryHooked)
        InstallLoadLibraryHooks();
}

void UnwatchLoadLibrary(VQImportHook* hook) {
    bool empty = false;
    {
        VQImportPatchLock lock;
        auto& hooks = WatchingHooks();
        hooks.erase(std::remove(hooks.begin(), hooks.end(), hook), hooks.end());
        empty = hooks.empty();
    }
    if (empty && g_loadLibraryHooked)
        RemoveLoadLibraryHooks();
}

void RepatchLoadedModule(HMODULE module) {
    if (module == nullptr)
        return;
    VQImportPatchLock lock;
    for (VQImportHook* hook : WatchingHooks()) {
        FARPROC real = hook->GetRealFunction();
        if (real == nullptr) {
            real = hook->Resolve();
            if (real == nullptr)
                continue;
            hook->m_realFunction.store(real);
        }
        PatchModuleImports(*hook, real, hook->GetReplacement(), module);
    }
}

}  // namespace Tessar
