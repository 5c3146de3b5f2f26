// The test control DLL: its class factory (for whatever class id it was
// registered under or asked for by name) and the functions the tests call.
#include <algorithm>
#include <cwchar>
#include <new>
#include <vector>

#include "TestControl.h"
#include "TestControlApi.h"

namespace TestControl {

namespace {

HINSTANCE g_instance = nullptr;
LONG g_locks = 0;
DWORD g_options = 0;
// Live objects, oldest first; the tests run on one thread.
std::vector<VQTestControl*>& Objects() {
    static std::vector<VQTestControl*> objects;
    return objects;
}

VQTestControl* Newest() { return Objects().empty() ? nullptr : Objects().back(); }

DWORD CopyOut(const std::wstring& text, wchar_t* buffer, DWORD size) {
    if (buffer && size > 0) {
        size_t count = std::min<size_t>(text.size(), size - 1);
        std::wmemcpy(buffer, text.data(), count);
        buffer[count] = L'\0';
    }
    return static_cast<DWORD>(text.size());
}

class VQTestClassFactory : public IClassFactory {
public:
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    // One static factory; its references only keep the DLL busy.
    STDMETHOD_(ULONG, AddRef)() override { return static_cast<ULONG>(::InterlockedIncrement(&g_locks)); }
    STDMETHOD_(ULONG, Release)() override { return static_cast<ULONG>(::InterlockedDecrement(&g_locks)); }
    STDMETHOD(CreateInstance)(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        VQTestControl* object = new (std::nothrow) VQTestControl(g_options);
        if (!object) return E_OUTOFMEMORY;
        HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    STDMETHOD(LockServer)(BOOL lock) override {
        if (lock)
            ::InterlockedIncrement(&g_locks);
        else
            ::InterlockedDecrement(&g_locks);
        return S_OK;
    }
};

VQTestClassFactory g_factory;

}  // namespace

void ObjectCreated(VQTestControl* object) { Objects().push_back(object); }

void ObjectDestroyed(VQTestControl* object) {
    auto& objects = Objects();
    objects.erase(std::remove(objects.begin(), objects.end(), object), objects.end());
}

HINSTANCE ModuleInstance() { return g_instance; }

}  // namespace TestControl

using namespace TestControl;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_instance = instance;
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID iid, void** out) {
    // Serves every class id: the tests register it under ids of their choosing.
    return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() {
    return Objects().empty() && g_locks == 0 ? S_OK : S_FALSE;
}

extern "C" void WINAPI VQTestControlConfigure(DWORD options) { g_options = options; }

extern "C" LONG WINAPI VQTestControlLiveObjects() { return static_cast<LONG>(Objects().size()); }

extern "C" LONG WINAPI VQTestControlSiteReferences() {
    LONG total = 0;
    for (VQTestControl* object : Objects()) total += object->SiteReferences();
    return total;
}

extern "C" LONG WINAPI VQTestControlObjectReferences() {
    VQTestControl* object = Newest();
    return object ? object->RefCount() : 0;
}

extern "C" DWORD WINAPI VQTestControlCallLog(wchar_t* buffer, DWORD size) {
    VQTestControl* object = Newest();
    return CopyOut(object ? object->CallLog() : std::wstring(), buffer, size);
}

extern "C" DWORD WINAPI VQTestControlProbe(const wchar_t* probe, wchar_t* buffer, DWORD size) {
    VQTestControl* object = Newest();
    std::wstring answer = object ? object->Probe(probe ? probe : L"") : L"noobject";
    return CopyOut(answer, buffer, size);
}
