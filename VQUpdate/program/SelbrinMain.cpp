// The updater program's entry point.
#include "VQUpdate/program/UpdateApp.h"
#include "ui/PaintManager.h"

#include <windows.h>

#include <new>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    Tessar::VQUpdateApp* app = new (std::nothrow) Tessar::VQUpdateApp;
    if (app == nullptr)
        return -1;
    if (app->Run(instance) != 0)
        Tessar::VQPaintManager::MessageLoop();
    app->Close();
    delete app;
    return Tessar::UpdateExitCode();
}
