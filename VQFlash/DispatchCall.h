#pragma once
// Late-bound calls on the hosted players (the Flash control and the web
// browser are dual interfaces, so their members are reached by name
// through IDispatch). Each call reports failure by false and never throws.

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace Tessar {

// Sets a property; the value is copied.
bool PutDispatchProperty(IDispatch* object, const wchar_t* name, const VARIANT& value);
bool PutDispatchText(IDispatch* object, const wchar_t* name, const std::wstring& text);
bool PutDispatchBool(IDispatch* object, const wchar_t* name, bool value);
bool PutDispatchLong(IDispatch* object, const wchar_t* name, LONG value);
// Reads a property into `value` (cleared first; the caller clears it).
bool GetDispatchProperty(IDispatch* object, const wchar_t* name, VARIANT* value);
// Calls a method with the arguments in their natural order.
bool CallDispatchMethod(IDispatch* object, const wchar_t* name, const std::vector<VARIANT>& arguments = {},
                        VARIANT* result = nullptr);

}  // namespace Tessar
