#pragma once
// A data object holding file names as CF_HDROP in TYMED_HGLOBAL, as the
// shell hands them over in a drag: for the tests of drop targets.

#include <windows.h>

#include <string>
#include <vector>

namespace Tessar {
namespace Test {

class VQFileDropData : public IDataObject {
public:
    // Made with a count of 1; never deletes itself (it lives on the stack).
    explicit VQFileDropData(std::vector<std::wstring> files) : m_files(std::move(files)) {}
    virtual ~VQFileDropData() {}
    LONG RefCount() const { return m_refs; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::vector<std::wstring> m_files;
    LONG m_refs = 1;
};

}  // namespace Test
}  // namespace Tessar
