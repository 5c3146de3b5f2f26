/* Stand-in for the outside version component: with VQ_COMPONENT_EXPORT it
 * exports DllGetVersion, which fills four 32-bit integers. */
#include "ComponentVersion.h"

#include <stdint.h>
#include <windows.h>

#ifdef VQ_COMPONENT_EXPORT
__declspec(dllexport) void WINAPI DllGetVersion(int32_t* fields) {
    fields[0] = VQ_COMPONENT_MAJOR;
    fields[1] = VQ_COMPONENT_MINOR;
    fields[2] = VQ_COMPONENT_BUILD;
    fields[3] = VQ_COMPONENT_REVISION;
}
#else
__declspec(dllexport) int VersionComponentPlain(void) {
    return 0;
}
#endif

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
