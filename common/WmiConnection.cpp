#include "common/WmiConnection.h"

#include "common/Variant.h"

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

// A value of the property was read, not empty or null.
bool ReadProperty(IWbemClassObject* object, const wchar_t* name, VQVariant& value) {
    return object != nullptr && SUCCEEDED(object->Get(name, 0, value.Get(), nullptr, nullptr)) &&
           V_VT(value.Get()) != VT_EMPTY && V_VT(value.Get()) != VT_NULL;
}

}  // namespace

bool ReadWmiText(IWbemClassObject* object, const wchar_t* name, std::wstring& value) {
    VQVariant property;
    if (!ReadProperty(object, name, property) || V_VT(property.Get()) != VT_BSTR || V_BSTR(property.Get()) == nullptr)
        return false;
    value.assign(V_BSTR(property.Get()), ::SysStringLen(V_BSTR(property.Get())));
    return true;
}

bool ReadWmiUInt32(IWbemClassObject* object, const wchar_t* name, uint32_t& value) {
    VQVariant property;
    if (!ReadProperty(object, name, property))
        return false;
    // WMI hands 32-bit unsigned values over as VT_I4 and 64-bit ones as
    // text; the wide conversion keeps the bits of both.
    VQVariant converted;
    if (FAILED(::VariantChangeType(converted.Get(), property.Get(), 0, VT_I8)))
        return false;
    value = static_cast<uint32_t>(V_I8(converted.Get()));
    return true;
}

}  // namespace Tessar
