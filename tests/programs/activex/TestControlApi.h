#pragma once
// What the toolkit tests know of the test ActiveX control: its class and
// program ids, the option bits of new objects, its dispatch members and the
// functions the DLL exports for the tests (loaded by the same path, the
// test reaches the very module that COM or the host loaded).

#include <windows.h>

// {5C0F6D2A-7B1E-4E8C-A3D9-61B2F4E7C9A5}
static const CLSID kTestControlClsid = {0x5c0f6d2a, 0x7b1e, 0x4e8c, {0xa3, 0xd9, 0x61, 0xb2, 0xf4, 0xe7, 0xc9, 0xa5}};
#define VQ_TEST_CONTROL_CLSID_TEXT L"{5C0F6D2A-7B1E-4E8C-A3D9-61B2F4E7C9A5}"
#define VQ_TEST_CONTROL_DLL L"VQTestControl.dll"

// Options of the objects made from now on (VQTestControlConfigure).
enum VQTestControlOption {
    // Asks the site for windowless activation; otherwise it activates in a
    // window of its own inside the site's window.
    TestOptionWindowless = 1,
    // Misc status OLEMISC_INVISIBLEATRUNTIME: the host must not activate it.
    TestOptionInvisibleAtRuntime = 2,
    // Misc status OLEMISC_SETCLIENTSITEFIRST.
    TestOptionSetClientSiteFirst = 4,
    // IPersistStreamInit::InitNew fails.
    TestOptionFailInitNew = 8,
    // Asks the site for its window before activating.
    TestOptionAskWindowFirst = 16,
};

// Dispatch members (IDispatch of the object, by these ids or names).
enum VQTestControlDispId {
    TestDispColor = 1,       // "Color": property, 0x00BBGGRR the object paints
    // "FireEvent"(dispid, arguments...): fires the event with the arguments
    // that follow, as given, to every DWebBrowserEvents2 sink.
    TestDispFireEvent = 2,
    TestDispNavigate = 3,    // "Navigate"(url)
    TestDispMovie = 4,       // "Movie": property, the movie path
    TestDispPlay = 5,        // "Play"()
    TestDispZoom = 6,        // "Zoom"(percent)
    TestDispGoBack = 7,      // "GoBack"()
    TestDispRefresh = 8,     // "Refresh"()
    // "FireNewWindow"(url): NewWindow3 then NewWindow2 with a cancel flag
    // the sinks may set; logs "newwindow=URL cancel=N".
    TestDispFireNewWindow = 9,
    // "FireOldEvent"(dispid, arguments...): as FireEvent, to the
    // DWebBrowserEvents sinks.
    TestDispFireOldEvent = 10,
    // The player's settings ("ScaleMode", "AlignMode", "Loop", "Quality2",
    // "Scale", "AllowNetworking", "Menu"): put only, logged "Name=value".
    TestDispFirstSetting = 11,
    TestDispLastSetting = 17,
    TestDispReadyState = 18,  // "ReadyState": 4 (complete) once a movie is set
};

// When this environment variable names a file, every call the objects log
// is also appended to it as a UTF-8 line, so that a test can follow a
// control living in another process.
#define VQ_TEST_CONTROL_LOG_VARIABLE L"VQ_TEST_CONTROL_LOG"

extern "C" {
// Options for objects made after the call.
typedef void(WINAPI* VQTestControlConfigureProc)(DWORD options);
// Objects of this DLL alive now.
typedef LONG(WINAPI* VQTestControlLiveObjectsProc)();
// References the live objects hold on their sites' parts (client site,
// in-place site, site holder, in-place frame).
typedef LONG(WINAPI* VQTestControlSiteReferencesProc)();
// The reference count of the newest live object, 0 without one.
typedef LONG(WINAPI* VQTestControlObjectReferencesProc)();
// The newest live object's record of calls ("navigate=URL;play;...") into
// `buffer`; returns the full length.
typedef DWORD(WINAPI* VQTestControlCallLogProc)(wchar_t* buffer, DWORD size);
// Lets the newest live object call into its site: `probe` names the call,
// the answer text goes to `buffer`; returns the full length.
typedef DWORD(WINAPI* VQTestControlProbeProc)(const wchar_t* probe, wchar_t* buffer, DWORD size);
}
