#include "btengine/EngineFiles.h"

#include <windows.h>

#include <libtorrent/read_resume_data.hpp>
#include <libtorrent/torrent_info.hpp>

#include <algorithm>
#include <set>

#include "btengine/EngineText.h"

namespace lt = libtorrent;

namespace Tessar {

bool ReadWholeFile(const std::string& pathUtf8, std::vector<char>* out) {
    std::wstring path = Utf8ToWide(pathUtf8);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 && size.QuadPart < (256ll << 20);
    if (ok) {
        out->resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = out->empty() || (ReadFile(file, out->data(), static_cast<DWORD>(out->size()), &got, nullptr) &&
                              got == out->size());
    }
    CloseHandle(file);
    return ok;
}

bool WriteWholeFile(const std::string& pathUtf8, const char* data, size_t size) {
    std::wstring path = Utf8ToWide(pathUtf8);
    std::wstring temp = path + L".tmp";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = size == 0 || (WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size);
    ok = FlushFileBuffers(file) && ok;
    CloseHandle(file);
    if (ok) ok = MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
}

void DeleteFileIfThere(const std::string& pathUtf8) {
    std::wstring path = Utf8ToWide(pathUtf8);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

lt::add_torrent_params LoadResumeFile(const std::string& resumePathUtf8, const std::shared_ptr<lt::torrent_info>& info) {
    std::vector<char> bytes;
    if (ReadWholeFile(resumePathUtf8, &bytes) && !bytes.empty()) {
        lt::error_code ec;
        lt::add_torrent_params atp = lt::read_resume_data(bytes, ec);
        if (!ec && atp.info_hashes == info->info_hashes()) {
            atp.ti = info;
            return atp;
        }
    }
    lt::add_torrent_params fresh;
    fresh.ti = info;
    return fresh;
}

void DeleteContentFiles(const std::string& folderUtf8, const lt::torrent_info& info) {
    const lt::file_storage& files = info.files();
    std::set<std::wstring> folders;
    for (lt::file_index_t i : files.file_range()) {
        std::string path = files.file_path(i, folderUtf8);
        std::replace(path.begin(), path.end(), '/', '\\');
        DeleteFileIfThere(path);
        std::string parent = ParentFolder(path);
        while (parent.size() > folderUtf8.size()) {
            folders.insert(Utf8ToWide(parent));
            parent = ParentFolder(parent);
        }
    }
    // Deepest first; a folder that still holds something stays.
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveDirectoryW(it->c_str());
}

}  // namespace Tessar
