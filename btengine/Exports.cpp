// The two exports of Tarnwick.dll; everything else goes through the
// session's and tasks' virtual operations (btengine/BTEngine.h).
#include "btengine/BTEngine.h"
#include "btengine/EngineSession.h"

using Tessar::IBTSession;
using Tessar::VQEngineSession;

extern "C" __declspec(dllexport) IBTSession* CreateBTSession(uint16_t firstPort, uint16_t lastPort,
                                                             const char* bindAddress, const char* folder) {
    try {
        return VQEngineSession::Create(firstPort, lastPort, bindAddress ? bindAddress : "",
                                       folder ? folder : "");
    } catch (...) {
        return nullptr;
    }
}

extern "C" __declspec(dllexport) void DeleteBTSession(IBTSession* session) {
    try {
        delete static_cast<VQEngineSession*>(session);
    } catch (...) {
    }
}
