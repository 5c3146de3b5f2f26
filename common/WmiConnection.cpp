#include "common/WmiConnection.h"

#include <comdef.h>

namespace Tessar {

void ConnectWmi(WmiConnection& connection) {
    // A thread already in another apartment keeps it and is not
    // uninitialised by CloseWmi.
    connection.comInitialized = SUCCEEDED(::CoInitialize(nullptr));
    // Process-wide; fails harmlessly on every call after the first.
    ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
                           nullptr, EOAC_NONE, nullptr);
    if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                  reinterpret_cast<void**>(&connection.locator))) ||
        connection.locator == nullptr)
        return;
    _bstr_t space(L"ROOT\\CIMV2");
    if (FAILED(connection.locator->ConnectServer(space, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                                 &connection.services)) ||
        connection.services == nullptr)
        return;
    ::CoSetProxyBlanket(connection.services, RPC_C_AUTHN_DEFAULT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                        RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
}

void CloseWmi(WmiConnection& connection) {
    if (connection.services != nullptr) {
        connection.services->Release();
        connection.services = nullptr;
    }
    if (connection.locator != nullptr) {
        connection.locator->Release();
        connection.locator = nullptr;
    }
    if (connection.comInitialized) {
        ::CoUninitialize();
        connection.comInitialized = false;
    }
}

namespace {

// Holds the value of one property read.
class PropertyValue {
public:
    PropertyValue() { ::VariantInit(&m_value); }
    ~PropertyValue() { ::VariantClear(&m_value); }
    PropertyValue(const PropertyValue&) = delete;
    PropertyValue& operator=(const PropertyValue&) = delete;

    bool Read(IWbemClassObject* object, const wchar_t* name) {
        return object != nullptr && SUCCEEDED(object->Get(name, 0, &m_value, nullptr, nullptr)) &&
               V_VT(&m_value) != VT_EMPTY && V_VT(&m_value) != VT_NULL;
    }
    VARIANT& Get() { return m_value; }

private:
    VARIANT m_value;
};

}  // namespace

bool ReadWmiText(IWbemClassObject* object, const wchar_t* name, std::wstring& value) {
    PropertyValue property;
    if (!property.Read(object, name) || V_VT(&property.Get()) != VT_BSTR || V_BSTR(&property.Get()) == nullptr)
        return false;
    value.assign(V_BSTR(&property.Get()), ::SysStringLen(V_BSTR(&property.Get())));
    return true;
}

bool ReadWmiUInt32(IWbemClassObject* object, const wchar_t* name, uint32_t& value) {
    PropertyValue property;
    if (!property.Read(object, name))
        return false;
    // WMI hands 32-bit unsigned values over as VT_I4 and 64-bit ones as
    // text; the wide conversion keeps the bits of both.
    VARIANT converted;
    ::VariantInit(&converted);
    if (FAILED(::VariantChangeType(&converted, &property.Get(), 0, VT_I8)))
        return false;
    value = static_cast<uint32_t>(V_I8(&converted));
    ::VariantClear(&converted);
    return true;
}

}  // namespace Tessar
