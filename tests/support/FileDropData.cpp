#include "tests/support/FileDropData.h"

#include <shlobj.h>

#include <cstring>

namespace Tessar {
namespace Test {

STDMETHODIMP VQFileDropData::QueryInterface(REFIID riid, void** ppv) {
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP VQFileDropData::GetData(FORMATETC* format, STGMEDIUM* medium) {
    HRESULT hr = QueryGetData(format);
    if (FAILED(hr))
        return hr;
    size_t chars = 1;
    for (const auto& file : m_files) chars += file.size() + 1;
    HGLOBAL global = ::GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    if (global == nullptr)
        return E_OUTOFMEMORY;
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(global));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(drop + 1);
    for (const auto& file : m_files) {
        std::memcpy(names, file.c_str(), (file.size() + 1) * sizeof(wchar_t));
        names += file.size() + 1;
    }
    ::GlobalUnlock(global);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = global;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

STDMETHODIMP VQFileDropData::QueryGetData(FORMATETC* format) {
    if (format->cfFormat != CF_HDROP)
        return DV_E_FORMATETC;
    return (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_TYMED;
}

}  // namespace Test
}  // namespace Tessar
