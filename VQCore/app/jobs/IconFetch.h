#pragma once
// Game pictures from the update server: one game's picture, or a whole
// package of pictures (format B) for the Flash games ("flash") or the
// client games ("pconline"). A picture is stored enciphered as
// pic\NNNNN.vqp in the program folder; a tile shows it through the image
// text "file='PATH' encrypt='true'".
//
// Threads: everything here runs on a background job's thread; a picture
// reaches the tiles through the job's onPicture, which posts to the window.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tessar {

enum VQIconPackageCode : uint32_t {
    kIconPackageFlash = 2,     // "flash"
    kIconPackageClient = 4,    // "pconline"
};

// "file='PATH' encrypt='true'".
std::wstring IconImageText(const std::wstring& iconPath);

// Asks update_icon.php for the game's picture, fetches it to a temporary
// file, checks its MD5 when the reply gives one and moves it to the icon
// path. False on any failure (the old picture, if any, is then kept).
bool FetchGameIcon(uint32_t gameId);

// One run of the icon job.
struct VQIconJob {
    uint32_t mask = 0;                 // 1 single pictures, 2 flash package, 4 client package
    std::vector<uint32_t> ids;         // games whose picture is missing
    HANDLE stopEvent = nullptr;        // polled between files and ids; may be null
    // A game's picture is now at path (called on the job's thread).
    std::function<void(uint32_t gameId, const std::wstring& path)> onPicture;
    // Where a package is unpacked; empty: "vqicon" of the temporary folder.
    std::wstring workFolder;
};

// Fetches and unpacks one package into the picture folder. A file already
// there is kept; each picture that arrives is reported and its id taken
// off job.ids. Only pictures named like an icon file ("NNNNN.vqp") are
// taken from a package. 0, or E_ABORT when the stop event was set.
HRESULT FetchIconPackage(uint32_t code, VQIconJob& job);

// The packages of the mask, then the single pictures still missing.
// 0, or E_ABORT when stopped.
HRESULT RunIconJob(VQIconJob& job);

}  // namespace Tessar
