/* A library that stands in for a runtime's library in the runtime-detection
   tests; the tests give copies of it the version resources they need. */
#include <windows.h>

#ifdef VQ_STUB_EXPORT
__declspec(dllexport) int physxDevInit(void) { return 0; }
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
