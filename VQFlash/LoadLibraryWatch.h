#pragma once
// The list of hooks that watch LoadLibrary, and the four hooks on the
// LoadLibrary functions of Kernel32.dll that exist while the list is not
// empty. Each of the four calls the real function and then applies the
// watching hooks to the module it loaded.

namespace Tessar {

class VQImportHook;

// Adds the hook to the list (once); installs the LoadLibrary hooks when
// they do not exist yet.
void WatchLoadLibrary(VQImportHook* hook);
// Takes the hook out of the list; removes the LoadLibrary hooks when the
// list is then empty.
void UnwatchLoadLibrary(VQImportHook* hook);

// The process-wide lock of table patching and of the watching list, held
// for the length of a scope. Re-entrant on one thread. Never held while the
// loader lock is taken, since LoadLibrary replacements may run under it.
class VQImportPatchLock {
public:
    VQImportPatchLock();
    ~VQImportPatchLock();
    VQImportPatchLock(const VQImportPatchLock&) = delete;
    VQImportPatchLock& operator=(const VQImportPatchLock&) = delete;
};

}  // namespace Tessar
