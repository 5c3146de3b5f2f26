#pragma once
// One WMI connection to "ROOT\CIMV2", opened and closed around every single
// query. Opening initialises COM on the calling thread; closing undoes it.

#include <wbemcli.h>

#include <cstdint>
#include <functional>
#include <string>

namespace Tessar {

struct HardwareReport;

struct WmiConnection {
    IWbemLocator* locator = nullptr;
    IWbemServices* services = nullptr;  // null when the connection failed
    bool comInitialized = false;        // this connection owes a CoUninitialize
};

// Results are not checked here: a failed connection has no services and
// shows up as a failed query. Throws _com_error(E_OUTOFMEMORY) when a fixed
// text cannot become a BSTR.
void ConnectWmi(WmiConnection& connection);
// Releases services and locator, then uninitialises COM.
void CloseWmi(WmiConnection& connection);

// False when the property cannot be read or is empty or null.
bool ReadWmiText(IWbemClassObject* object, const wchar_t* name, std::wstring& value);
bool ReadWmiUInt32(IWbemClassObject* object, const wchar_t* name, uint32_t& value);

// How the queries open their connections; tests hand over their own
// services, since Wine's WMI has only some classes and properties.
using WmiConnector = std::function<void(WmiConnection&)>;
bool QueryWmiProcessor(HardwareReport& report, const WmiConnector& connect);
bool QueryWmiVideo(HardwareReport& report, const WmiConnector& connect);

}  // namespace Tessar
