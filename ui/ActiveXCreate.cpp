// Creating a hosted object: from a named module's class factory or through
// COM, then siting, initialising and in-place activating it.
#include <new>

#include "common/ComPtr.h"
#include "ui/ActiveX.h"
#include "ui/ActiveXCtrl.h"
#include "ui/PaintManager.h"

namespace Tessar {

namespace {

typedef HRESULT(STDAPICALLTYPE* DllGetClassObjectProc)(REFCLSID, REFIID, void**);

const wchar_t kHostName[] = L"VQActiveX";

}  // namespace

bool VQActiveX::CreateFromModule(IOleObject** object) {
    *object = nullptr;
    // The module stays loaded: the object's code lives in it for as long as
    // any object from it may exist.
    HMODULE module = ::LoadLibraryW(m_moduleName.c_str());
    if (!module) return false;
    auto getClassObject =
        reinterpret_cast<DllGetClassObjectProc>(reinterpret_cast<void*>(::GetProcAddress(module, "DllGetClassObject")));
    if (!getClassObject) return false;
    VQComPtr<IClassFactory> factory;
    if (FAILED(getClassObject(m_clsid, IID_IClassFactory, factory.ReceiveVoid())) || !factory) return false;
    return SUCCEEDED(factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(object))) &&
           *object != nullptr;
}

bool VQActiveX::CreateControl() {
    ReleaseControl();
    m_created = true;

    IOleObject* object = nullptr;
    if (!m_moduleName.empty() && !CreateFromModule(&object)) object = nullptr;
    if (!object) {
        VQComPtr<IOleControl> control;
        if (FAILED(::CoCreateInstance(m_clsid, nullptr, CLSCTX_ALL, IID_IOleControl, control.ReceiveVoid())) ||
            !control)
            return false;
        if (FAILED(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object)))) object = nullptr;
    }
    if (!object) return false;
    m_object = object;

    m_site = new (std::nothrow) VQActiveXCtrl(this);
    if (!m_site) return false;
    DWORD status = 0;
    if (FAILED(object->GetMiscStatus(DVASPECT_CONTENT, &status))) status = 0;
    IOleClientSite* clientSite = m_site->GetClientSite();
    clientSite->AddRef();
    bool siteGiven = false;
    if (status & OLEMISC_SETCLIENTSITEFIRST) {
        object->SetClientSite(clientSite);
        siteGiven = true;
    }
    VQComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(object->QueryInterface(IID_IPersistStreamInit, persist.ReceiveVoid())) && persist) {
        if (FAILED(persist->InitNew())) {
            clientSite->Release();
            return false;
        }
    }
    if (!siteGiven) object->SetClientSite(clientSite);
    IViewObject* view = nullptr;
    if (FAILED(object->QueryInterface(IID_IViewObjectEx, reinterpret_cast<void**>(&view))) &&
        FAILED(object->QueryInterface(IID_IViewObject2, reinterpret_cast<void**>(&view))) &&
        FAILED(object->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view))))
        view = nullptr;
    if (view) {
        m_site->SetViewObject(view);
        view->Release();
    }
    object->SetHostNames(kHostName, nullptr);

    // The owner typically navigates or loads the object here; it may also
    // replace or release it, which ends this creation.
    if (m_manager) m_manager->SendNotify(this, NotifyActiveXCreated, 0, 0);
    if (m_object != object || !m_site) {
        clientSite->Release();
        return false;
    }

    HRESULT result = S_OK;
    if (!(status & OLEMISC_INVISIBLEATRUNTIME)) {
        HWND window = m_manager ? m_manager->GetPaintWindow() : nullptr;
        result = object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite, 0, window, &m_itemRect);
        if (window) ::RedrawWindow(window, &m_itemRect, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME);
    }
    VQComPtr<IObjectWithSite> withSite;
    if (m_object && SUCCEEDED(m_object->QueryInterface(IID_IObjectWithSite, withSite.ReceiveVoid())) && withSite)
        result = withSite->SetSite(clientSite);
    clientSite->Release();
    return SUCCEEDED(result);
}

}  // namespace Tessar
