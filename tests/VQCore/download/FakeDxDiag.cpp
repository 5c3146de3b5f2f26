#include "tests/VQCore/download/FakeDxDiag.h"

#include <oleauto.h>

#include "VQCore/download/DetectEnvironment.h"

namespace Tessar {

namespace {

template <typename Interface>
class FakeObject : public Interface {
public:
    explicit FakeObject(VQFakeDxDiagSetup& setup) : m_setup(setup) { ++m_setup.liveObjects; }
    virtual ~FakeObject() { --m_setup.liveObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, OwnIid()))
            return E_NOINTERFACE;
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --m_references;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual const GUID& OwnIid() const = 0;
    VQFakeDxDiagSetup& m_setup;

private:
    ULONG m_references = 1;
};

const GUID kContainerIid = {0x7D0F462F, 0x4064, 0x4862, {0xBC, 0x7F, 0x93, 0x3E, 0x50, 0x58, 0xC1, 0x0F}};

class FakeContainer : public FakeObject<IDxDiagContainer> {
public:
    FakeContainer(VQFakeDxDiagSetup& setup, bool isRoot) : FakeObject(setup), m_isRoot(isRoot) {}

    HRESULT STDMETHODCALLTYPE GetNumberOfChildContainers(DWORD* count) override {
        *count = m_isRoot && m_setup.hasSystemInfo ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumChildContainerNames(DWORD, LPWSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChildContainer(LPCWSTR name, IDxDiagContainer** child) override {
        *child = nullptr;
        if (!m_isRoot || !m_setup.hasSystemInfo || std::wstring(name) != L"DxDiag_SystemInfo")
            return E_INVALIDARG;
        *child = new FakeContainer(m_setup, false);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNumberOfProps(DWORD* count) override {
        *count = m_isRoot ? 0 : static_cast<DWORD>(m_setup.properties.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumPropNames(DWORD, LPWSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetProp(LPCWSTR name, VARIANT* value) override {
        auto found = m_setup.properties.find(name);
        if (m_isRoot || found == m_setup.properties.end())
            return E_INVALIDARG;
        ::VariantClear(value);
        value->vt = found->second.type;
        if (found->second.type == VT_BSTR)
            value->bstrVal = ::SysAllocString(found->second.text.c_str());
        else
            value->ulVal = found->second.number;
        return S_OK;
    }

protected:
    const GUID& OwnIid() const override { return kContainerIid; }

private:
    bool m_isRoot;
};

class FakeProvider : public FakeObject<IDxDiagProvider> {
public:
    explicit FakeProvider(VQFakeDxDiagSetup& setup) : FakeObject(setup) {}

    HRESULT STDMETHODCALLTYPE Initialize(DXDIAG_INIT_PARAMS* parameters) override {
        m_setup.initializeSize = parameters->dwSize;
        m_setup.initializeHeaderVersion = parameters->dwDxDiagHeaderVersion;
        if (FAILED(m_setup.initializeResult))
            return m_setup.initializeResult;
        m_initialized = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRootContainer(IDxDiagContainer** root) override {
        *root = nullptr;
        if (!m_initialized)
            return CO_E_NOTINITIALIZED;
        *root = new FakeContainer(m_setup, true);
        return S_OK;
    }

protected:
    const GUID& OwnIid() const override { return kDxDiagProviderIid; }

private:
    bool m_initialized = false;
};

}  // namespace

IDxDiagProvider* NewFakeDxDiagProvider(VQFakeDxDiagSetup& setup) {
    return new FakeProvider(setup);
}

void SetFakeDirectXVersion(VQFakeDxDiagSetup& setup, ULONG major, ULONG minor, const std::wstring& letter) {
    setup.properties[L"dwDirectXVersionMajor"] = {VT_UI4, major, L""};
    setup.properties[L"dwDirectXVersionMinor"] = {VT_UI4, minor, L""};
    setup.properties[L"szDirectXVersionLetter"] = {VT_BSTR, 0, letter};
}

}  // namespace Tessar
