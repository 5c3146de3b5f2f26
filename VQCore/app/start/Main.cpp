// The entry of the manager program.

#include <windows.h>

#include <new>

#include "VQCore/app/start/App.h"
#include "ui/PaintManager.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    Tessar::VQApp* app = new (std::nothrow) Tessar::VQApp;
    if (app == nullptr) return -1;
    bool started = false;
    try {
        started = app->Init(instance);
    } catch (...) {
        started = false;
    }
    if (!started) {
        app->Shutdown();
        delete app;
        return -1;
    }
    Tessar::VQPaintManager::MessageLoop();
    delete app;
    return 0;
}
