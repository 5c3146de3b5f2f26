#include "VQFlash/DispatchCall.h"

#include <oleauto.h>

namespace Tessar {

namespace {

bool FindMember(IDispatch* object, const wchar_t* name, DISPID* id) {
    if (object == nullptr || name == nullptr) return false;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    return SUCCEEDED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id));
}

}  // namespace

bool PutDispatchProperty(IDispatch* object, const wchar_t* name, const VARIANT& value) {
    DISPID id = 0;
    if (!FindMember(object, name, &id)) return false;
    VARIANT argument;
    ::VariantInit(&argument);
    if (FAILED(::VariantCopy(&argument, const_cast<VARIANT*>(&value)))) return false;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&argument, &named, 1, 1};
    const HRESULT result =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
    ::VariantClear(&argument);
    return SUCCEEDED(result);
}

bool PutDispatchText(IDispatch* object, const wchar_t* name, const std::wstring& text) {
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    const bool ok = value.bstrVal != nullptr && PutDispatchProperty(object, name, value);
    ::VariantClear(&value);
    return ok;
}

bool PutDispatchBool(IDispatch* object, const wchar_t* name, bool on) {
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_BOOL;
    value.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
    return PutDispatchProperty(object, name, value);
}

bool PutDispatchLong(IDispatch* object, const wchar_t* name, LONG number) {
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = number;
    return PutDispatchProperty(object, name, value);
}

bool GetDispatchProperty(IDispatch* object, const wchar_t* name, VARIANT* value) {
    if (value == nullptr) return false;
    ::VariantInit(value);
    DISPID id = 0;
    if (!FindMember(object, name, &id)) return false;
    DISPPARAMS params = {nullptr, nullptr, 0, 0};
    return SUCCEEDED(
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params, value, nullptr, nullptr));
}

bool CallDispatchMethod(IDispatch* object, const wchar_t* name, const std::vector<VARIANT>& arguments,
                        VARIANT* result) {
    DISPID id = 0;
    if (!FindMember(object, name, &id)) return false;
    // IDispatch takes the arguments last to first.
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr,
                         static_cast<UINT>(reversed.size()), 0};
    if (result != nullptr) ::VariantInit(result);
    return SUCCEEDED(
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, nullptr, nullptr));
}

}  // namespace Tessar
