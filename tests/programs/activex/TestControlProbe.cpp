// Calls from the test control into its site, one per probe name, each
// answered with a short text the tests compare.
#include <docobj.h>
#include <mshtmhst.h>

#include <cstdio>
#include <string>

#include "TestControl.h"

namespace TestControl {

namespace {

// The document host's command group {F38BC242-B950-11D1-8918-00C04FC2C836}.
const GUID kDocHostCommandGroup = {0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};

std::wstring Hex(HRESULT hr) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%08X", static_cast<unsigned>(hr));
    return text;
}

template <typename T>
HRESULT Ask(IUnknown* from, REFIID iid, T** out) {
    *out = nullptr;
    if (!from) return E_POINTER;
    return from->QueryInterface(iid, reinterpret_cast<void**>(out));
}

bool SameObject(IUnknown* a, IUnknown* b) {
    IUnknown* ua = nullptr;
    IUnknown* ub = nullptr;
    if (a) a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ua));
    if (b) b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&ub));
    bool same = ua && ua == ub;
    if (ua) ua->Release();
    if (ub) ub->Release();
    return same;
}

std::wstring WindowClass(HWND hwnd) {
    wchar_t name[64] = L"";
    if (hwnd) ::GetClassNameW(hwnd, name, 64);
    return name;
}

}  // namespace

std::wstring VQTestControl::Probe(const std::wstring& probe) {
    IUnknown* site = m_clientSite;
    if (!site) return L"nosite";
    if (probe == L"ambient") {
        IDispatch* ambient = nullptr;
        HRESULT hr = Ask(site, IID_IDispatch, &ambient);
        if (ambient) ambient->Release();
        return L"hr=" + Hex(hr);
    }
    if (probe == L"hostinfo") {
        IDocHostUIHandler* host = nullptr;
        HRESULT hr = Ask(site, IID_IDocHostUIHandler, &host);
        if (FAILED(hr)) return L"hr=" + Hex(hr);
        DOCHOSTUIINFO info = {};
        info.cbSize = sizeof(info);
        hr = host->GetHostInfo(&info);
        host->Release();
        return L"hr=" + Hex(hr) + L" flags=" + Hex(static_cast<HRESULT>(info.dwFlags));
    }
    if (probe == L"contextmenu") {
        IDocHostUIHandler* host = nullptr;
        HRESULT hr = Ask(site, IID_IDocHostUIHandler, &host);
        if (FAILED(hr)) return L"hr=" + Hex(hr);
        POINT pt = {0, 0};
        hr = host->ShowContextMenu(0, &pt, nullptr, nullptr);
        host->Release();
        return L"hr=" + Hex(hr);
    }
    if (probe == L"external") {
        IDocHostUIHandler* host = nullptr;
        HRESULT hr = Ask(site, IID_IDocHostUIHandler, &host);
        if (FAILED(hr)) return L"hr=" + Hex(hr);
        IDispatch* external = nullptr;
        hr = host->GetExternal(&external);
        host->Release();
        if (FAILED(hr) || !external) return L"hr=" + Hex(hr);
        // What a page's window.external.CB_Close() does.
        LPOLESTR name = const_cast<LPOLESTR>(L"CB_Close");
        DISPID id = DISPID_UNKNOWN;
        HRESULT idHr = external->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
        VARIANT result;
        ::VariantInit(&result);
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        HRESULT callHr = external->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                          &none, &result, nullptr, nullptr);
        std::wstring answer = L"hr=" + Hex(hr) + L" id=" + std::to_wstring(id) + L" idhr=" + Hex(idHr) +
                              L" call=" + Hex(callHr) + L" vt=" + std::to_wstring(result.vt) +
                              L" bool=" + std::to_wstring(result.vt == VT_BOOL ? result.boolVal : 0);
        ::VariantClear(&result);
        external->Release();
        return answer;
    }
    if (probe == L"scripterror" || probe == L"othercommand" || probe == L"othergroup") {
        IOleCommandTarget* target = nullptr;
        HRESULT hr = Ask(site, IID_IOleCommandTarget, &target);
        if (FAILED(hr)) return L"hr=" + Hex(hr);
        VARIANT out;
        ::VariantInit(&out);
        const GUID* group = probe == L"othergroup" ? nullptr : &kDocHostCommandGroup;
        DWORD command = probe == L"othercommand" ? OLECMDID_PRINT : OLECMDID_SHOWSCRIPTERROR;
        hr = target->Exec(group, command, 0, nullptr, &out);
        OLECMD status = {OLECMDID_SHOWSCRIPTERROR, 0};
        HRESULT queryHr = target->QueryStatus(&kDocHostCommandGroup, 1, &status, nullptr);
        target->Release();
        std::wstring answer = L"hr=" + Hex(hr) + L" vt=" + std::to_wstring(out.vt) +
                              L" bool=" + std::to_wstring(out.vt == VT_BOOL ? out.boolVal : 0) +
                              L" query=" + Hex(queryHr);
        ::VariantClear(&out);
        return answer;
    }
    if (probe == L"extended") {
        IOleControlSite* control = nullptr;
        HRESULT hr = Ask(site, IID_IOleControlSite, &control);
        if (FAILED(hr)) return L"hr=" + Hex(hr);
        IDispatch* extended = nullptr;
        hr = control->GetExtendedControl(&extended);
        bool same = SameObject(extended, static_cast<IOleObject*>(this));
        if (extended) extended->Release();
        control->Release();
        return L"hr=" + Hex(hr) + L" same=" + std::to_wstring(same);
    }
    if (probe == L"enum") {
        IOleContainer* container = nullptr;
        HRESULT hr = m_clientSite->GetContainer(&container);
        if (FAILED(hr) || !container) return L"hr=" + Hex(hr);
        IEnumUnknown* list = nullptr;
        hr = container->EnumObjects(OLECONTF_EMBEDDINGS, &list);
        container->Release();
        if (FAILED(hr) || !list) return L"hr=" + Hex(hr);
        IUnknown* item = nullptr;
        ULONG fetched = 0;
        HRESULT first = list->Next(1, &item, &fetched);
        bool same = SameObject(item, static_cast<IOleObject*>(this));
        if (item) item->Release();
        item = nullptr;
        HRESULT second = list->Next(1, &item, &fetched);
        if (item) item->Release();
        list->Reset();
        item = nullptr;
        HRESULT again = list->Next(1, &item, &fetched);
        if (item) item->Release();
        list->Release();
        return L"first=" + Hex(first) + L" same=" + std::to_wstring(same) + L" second=" + Hex(second) +
               L" again=" + Hex(again);
    }
    if (probe == L"windowcontext") {
        if (!m_inPlaceSite) return L"inactive";
        IOleInPlaceFrame* frames[2] = {};
        IOleInPlaceUIWindow* documents[2] = {};
        OLEINPLACEFRAMEINFO infos[2] = {};
        HRESULT results[2];
        for (int i = 0; i < 2; ++i) {
            RECT position = {}, clip = {};
            infos[i].cb = sizeof(infos[i]);
            results[i] = m_inPlaceSite->GetWindowContext(&frames[i], &documents[i], &position, &clip, &infos[i]);
        }
        HWND frameWindow = nullptr;
        if (frames[0]) frames[0]->GetWindow(&frameWindow);
        HRESULT border = frames[0] ? frames[0]->RequestBorderSpace(nullptr) : E_FAIL;
        std::wstring answer = L"hr=" + Hex(results[0]) + L"," + Hex(results[1]) +
                              L" frame=" + std::to_wstring(frames[0] != nullptr) +
                              L" document=" + std::to_wstring(documents[0] != nullptr) +
                              L" accel=" + std::to_wstring(infos[0].haccel != nullptr) +
                              L" sameaccel=" + std::to_wstring(infos[0].haccel == infos[1].haccel) +
                              L" entries=" + std::to_wstring(infos[0].cAccelEntries) +
                              L" framewindow=" + std::to_wstring(frameWindow == infos[0].hwndFrame) +
                              L" border=" + Hex(border);
        for (int i = 0; i < 2; ++i) {
            if (frames[i]) frames[i]->Release();
            if (documents[i]) documents[i]->Release();
        }
        return answer;
    }
    if (probe == L"window") {
        if (!m_inPlaceSite) return L"inactive";
        HWND window = nullptr;
        HRESULT hr = m_inPlaceSite->GetWindow(&window);
        return L"hr=" + Hex(hr) + L" class=" + WindowClass(window);
    }
    if (probe == L"capture" || probe == L"focus" || probe == L"dc" || probe == L"invalidate" ||
        probe == L"defmessage") {
        IOleInPlaceSiteWindowless* windowless = nullptr;
        HRESULT hr = Ask(site, IID_IOleInPlaceSiteWindowless, &windowless);
        if (FAILED(hr)) return L"hr=" + Hex(hr);
        std::wstring answer;
        if (probe == L"capture") {
            HRESULT before = windowless->GetCapture();
            HRESULT set = windowless->SetCapture(TRUE);
            HRESULT during = windowless->GetCapture();
            windowless->SetCapture(FALSE);
            HRESULT after = windowless->GetCapture();
            answer = Hex(before) + L"," + Hex(set) + L"," + Hex(during) + L"," + Hex(after);
        } else if (probe == L"focus") {
            HRESULT set = windowless->SetFocus(TRUE);
            HRESULT during = windowless->GetFocus();
            answer = Hex(set) + L"," + Hex(during);
        } else if (probe == L"dc") {
            HDC dc = nullptr;
            HRESULT get = windowless->GetDC(nullptr, OLEDC_PAINTBKGND, &dc);
            HRESULT release = dc ? windowless->ReleaseDC(dc) : E_FAIL;
            HRESULT none = windowless->GetDC(nullptr, 0, nullptr);
            answer = Hex(get) + L"," + Hex(release) + L"," + Hex(none);
        } else if (probe == L"invalidate") {
            answer = Hex(windowless->InvalidateRect(nullptr, FALSE));
        } else {
            LRESULT result = -1;
            HRESULT def = windowless->OnDefWindowMessage(WM_NULL, 0, 0, &result);
            answer = Hex(def) + L"," + std::to_wstring(result);
        }
        windowless->Release();
        return answer;
    }
    if (probe == L"siteholder") {
        IObjectWithSite* holder = nullptr;
        HRESULT hr = Ask(site, IID_IObjectWithSite, &holder);
        if (FAILED(hr)) return L"hr=" + Hex(hr);
        IUnknown* got = nullptr;
        HRESULT before = holder->GetSite(IID_IUnknown, reinterpret_cast<void**>(&got));
        if (got) got->Release();
        holder->SetSite(static_cast<IOleObject*>(this));
        IOleObject* back = nullptr;
        HRESULT during = holder->GetSite(IID_IOleObject, reinterpret_cast<void**>(&back));
        bool same = back == static_cast<IOleObject*>(this);
        if (back) back->Release();
        holder->SetSite(nullptr);
        holder->Release();
        return Hex(before) + L"," + Hex(during) + L" same=" + std::to_wstring(same);
    }
    if (probe == L"showobject") return L"hr=" + Hex(m_clientSite->ShowObject());
    if (probe == L"clientsite") {
        IMoniker* moniker = reinterpret_cast<IMoniker*>(this);
        HRESULT mon = m_clientSite->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, &moniker);
        return L"save=" + Hex(m_clientSite->SaveObject()) + L" moniker=" + Hex(mon) +
               L" null=" + std::to_wstring(moniker == nullptr);
    }
    return L"unknown probe";
}

}  // namespace TestControl
