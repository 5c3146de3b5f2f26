// Rewriting import address tables: one module, or every loaded module.

#include "VQFlash/ImportTable.h"

#include "VQFlash/ImportHook.h"
#include "VQFlash/LoadLibraryWatch.h"
#include "common/CodePage.h"
#include "common/KernelHandle.h"
#include "common/TextUtil.h"
#include "common/ToolhelpEntry.h"

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>

#include <dbghelp.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstring>

namespace Tessar {

namespace {

const BYTE kPushImmediate = 0x68;

// Import address table entries are pointer-sized on either platform.
static_assert(sizeof(IMAGE_THUNK_DATA) == sizeof(void*), "thunk entries are pointer-sized");

bool IsReadable(ULONG_PTR address, SIZE_T length) {
    MEMORY_BASIC_INFORMATION info = {};
    if (::VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof(info)) == 0)
        return false;
    if (info.State != MEM_COMMIT || (info.Protect & (PAGE_NOACCESS | PAGE_GUARD)) != 0)
        return false;
    ULONG_PTR end = reinterpret_cast<ULONG_PTR>(info.BaseAddress) + info.RegionSize;
    return address + length <= end;
}

bool SameModuleName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && CompareNoCase(a, b, a.size()) == 0;
}

bool EntryMatches(ULONG_PTR entry, ULONG_PTR from) {
    return entry == from || SharedStubTarget(entry) == from;
}

// Writes one table entry; the page is made writable for the write only,
// keeping execute access where the page had it.
void WriteEntry(ULONG_PTR* entry, ULONG_PTR value) {
    MEMORY_BASIC_INFORMATION info = {};
    if (::VirtualQuery(entry, &info, sizeof(info)) == 0)
        return;
    const DWORD executable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    DWORD writable = (info.Protect & executable) != 0 ? PAGE_EXECUTE_READWRITE : PAGE_READWRITE;
    DWORD oldProtect = 0;
    if (!::VirtualProtect(entry, sizeof(*entry), writable, &oldProtect))
        return;
    SIZE_T written = 0;
    ::WriteProcessMemory(::GetCurrentProcess(), entry, &value, sizeof(value), &written);
    DWORD ignored = 0;
    ::VirtualProtect(entry, sizeof(*entry), oldProtect, &ignored);
}

// The allocation base of the module this code is linked into.
HMODULE OwnModule() {
    MEMORY_BASIC_INFORMATION info = {};
    if (::VirtualQuery(reinterpret_cast<void*>(&OwnModule), &info, sizeof(info)) == 0)
        return nullptr;
    return static_cast<HMODULE>(info.AllocationBase);
}

}  // namespace

ULONG_PTR HighestApplicationAddress() {
    static const ULONG_PTR highest = [] {
        SYSTEM_INFO info = {};
        ::GetSystemInfo(&info);
        return reinterpret_cast<ULONG_PTR>(info.lpMaximumApplicationAddress);
    }();
    return highest;
}

ULONG_PTR SharedStubTarget(ULONG_PTR address) {
    if (address <= HighestApplicationAddress() || !IsReadable(address, 1 + sizeof(uint32_t)))
        return 0;
    const BYTE* code = reinterpret_cast<const BYTE*>(address);
    if (code[0] != kPushImmediate)
        return 0;
    uint32_t pushed = 0;
    std::memcpy(&pushed, code + 1, sizeof(pushed));
    return pushed;
}

FARPROC FindLoadedFunction(const std::wstring& moduleName, const std::wstring& functionName) {
    HMODULE module = ::GetModuleHandleW(moduleName.c_str());
    if (module == nullptr)
        return nullptr;
    FARPROC function = ::GetProcAddress(module, WideToNarrow(functionName).c_str());
    if (function == nullptr)
        return nullptr;
    if (ULONG_PTR target = SharedStubTarget(reinterpret_cast<ULONG_PTR>(function)))
        return reinterpret_cast<FARPROC>(target);
    return function;
}

void PatchModuleImports(const VQImportHook& hook, FARPROC from, FARPROC to, HMODULE moduleBase) {
    if (moduleBase == nullptr || from == nullptr || to == nullptr)
        return;
    VQImportPatchLock lock;
    ULONG size = 0;
    auto* descriptor = static_cast<PIMAGE_IMPORT_DESCRIPTOR>(
        ::ImageDirectoryEntryToData(moduleBase, TRUE, IMAGE_DIRECTORY_ENTRY_IMPORT, &size));
    if (descriptor == nullptr)
        return;
    auto* base = reinterpret_cast<BYTE*>(moduleBase);
    const ULONG_PTR fromAddress = reinterpret_cast<ULONG_PTR>(from);
    const ULONG_PTR toAddress = reinterpret_cast<ULONG_PTR>(to);
    for (ULONG count = size / sizeof(*descriptor); count > 0 && descriptor->Name != 0; --count, ++descriptor) {
        const char* dllName = reinterpret_cast<const char*>(base + descriptor->Name);
        if (!SameModuleName(NarrowToWide(dllName), hook.GetModuleName()) || descriptor->FirstThunk == 0)
            continue;
        // One entry per function in a descriptor; some linkers split one
        // DLL's imports over several descriptors, so each is looked at.
        auto* thunk = reinterpret_cast<PIMAGE_THUNK_DATA>(base + descriptor->FirstThunk);
        for (; thunk->u1.Function != 0; ++thunk) {
            auto* entry = reinterpret_cast<ULONG_PTR*>(&thunk->u1.Function);
            if (EntryMatches(*entry, fromAddress)) {
                WriteEntry(entry, toAddress);
                break;
            }
        }
    }
}

void PatchAllModules(const VQImportHook& hook, FARPROC from, FARPROC to, bool includeOwnModule) {
    HMODULE skipped = includeOwnModule ? nullptr : OwnModule();
    VQKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, ::GetCurrentProcessId()));
    if (!snapshot.IsValid())
        return;
    auto module = boost::make_shared<VQModuleEntry>();
    for (BOOL more = ::Module32FirstW(snapshot.Get(), &module->entry); more;
         more = ::Module32NextW(snapshot.Get(), &module->entry)) {
        auto base = reinterpret_cast<HMODULE>(module->entry.modBaseAddr);
        if (base == skipped)
            continue;
        // Held loaded while its table is written: the snapshot holds no
        // reference, and another thread may free the module meanwhile.
        HMODULE pinned = nullptr;
        if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(base), &pinned))
            continue;
        PatchModuleImports(hook, from, to, base);
        ::FreeLibrary(pinned);
    }
}

}  // namespace Tessar
