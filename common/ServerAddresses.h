#pragma once
// Every address of the maker's servers in one table: the update server, the
// statistics server, the details server and the product's web pages. The
// built-in values are placeholders; a deployment (or a test) points them
// elsewhere with "servers.ini" in the program folder:
//
//   [Servers]
//   UpdateServer=http://update.example.com
//   StatisticsServer=http://stat.example.com/vq
//
// Only http:// and https:// values are taken; others keep the built-in one.
//
// Threads: the table is guarded by one lock; every call may come from any
// thread and gets a copy.

#include <cstdint>
#include <string>

namespace Tessar {

enum VQServerAddress : uint32_t {
    kUpdateServer = 0,   // catalogue, lists, icons, download information, updater
    kStatisticsServer,   // download, install, click and online statistics
    kDetailsServer,      // game detail pages
    kHomePage,           // the product's home page
    kHelpPage,           // the help centre
    kRuntimeHelpPage,    // what runtimes are and why games need them
    kServerAddressCount
};

// Paths on the servers; each belongs to one address of the table.
enum VQEndpoint : uint32_t {
    kUpdateDatabaseEndpoint = 0,  // "update_database.php"
    kUpdateAdvertEndpoint,        // "update_advert.php"
    kUpdateHotEndpoint,           // "update_hot.php"
    kUpdateIconEndpoint,          // "update_icon.php"
    kQueryUrlEndpoint,            // "query_url.php"
    kDownloadCompleteEndpoint,    // "download_complete.php"
    kInstallCompleteEndpoint,     // "install_complete.php"
    kClickRegisterEndpoint,       // "click_register.php"
    kOnlineStatEndpoint,          // "online_stat.php"
    kUpdaterStatEndpoint,         // "stat.php"
    kUpdaterUpdateEndpoint,       // "update"
    kEndpointCount
};

extern const wchar_t kServersIniName[];     // L"servers.ini"
extern const wchar_t kServersIniSection[];  // L"Servers"

// Version sent with every request to the update server ("soft=1.7").
const int kRequestVersionMajor = 1;
const int kRequestVersionMinor = 7;

// An address that starts with "http://" or "https://" (any case) and has
// more after it: the only kind the table takes, and the only kind the
// manager opens from a server's data.
bool IsWebAddress(const std::wstring& text);

// The INI key of an address ("UpdateServer", ...); null when out of range.
const wchar_t* ServerAddressKey(VQServerAddress which);
// The built-in placeholder; empty when out of range.
std::wstring DefaultServerAddress(VQServerAddress which);

// The current address; on first use the table is read from servers.ini in
// the program folder. Empty when out of range.
std::wstring GetServerAddress(VQServerAddress which);
// servers.ini beside the running executable.
std::wstring ServerAddressesIniPath();
// Built-in values, then every valid key of that file over them (a missing
// file leaves the built-in values). Returns how many keys were taken.
uint32_t LoadServerAddresses(const std::wstring& iniPath);
// Sets one address for the rest of the process; false for an address out
// of range or a value that is not an http:// or https:// URL.
bool SetServerAddress(VQServerAddress which, const std::wstring& address);

// The endpoint's path ("update_database.php"); null when out of range.
const wchar_t* EndpointPath(VQEndpoint endpoint);
// The endpoint's server address and path joined by one slash; empty when
// out of range.
std::wstring GetEndpointUrl(VQEndpoint endpoint);
// "%s?soft=%d.%d" with the version: the start of every update request, to
// which the callers append "&type=", "&ver=", "&id=" and so on.
std::wstring MakeSoftRequest(const std::wstring& endpointUrl);
std::wstring MakeSoftRequest(VQEndpoint endpoint);

}  // namespace Tessar
