#include "btengine/EngineTorrentInfo.h"

#include <libtorrent/hex.hpp>
#include <libtorrent/torrent_info.hpp>

#include <algorithm>

#include "btengine/EngineText.h"

namespace lt = libtorrent;

namespace Tessar {

VQEngineTorrentInfo::VQEngineTorrentInfo(std::shared_ptr<const lt::torrent_info> info) : m_info(std::move(info)) {}

uint32_t VQEngineTorrentInfo::GetFileCount() {
    return m_info ? static_cast<uint32_t>(m_info->num_files()) : 0;
}

uint64_t VQEngineTorrentInfo::GetFileSize(uint32_t index) {
    if (index >= GetFileCount()) return 0;
    return static_cast<uint64_t>(m_info->files().file_size(lt::file_index_t(static_cast<int>(index))));
}

bool VQEngineTorrentInfo::GetFilePath(uint32_t index, std::string* out) {
    if (!out || index >= GetFileCount()) return false;
    try {
        std::string path = m_info->files().file_path(lt::file_index_t(static_cast<int>(index)));
        std::replace(path.begin(), path.end(), '/', '\\');
        *out = Utf8ToAnsi(path);
        return true;
    } catch (...) {
        return false;
    }
}

uint64_t VQEngineTorrentInfo::GetTotalSize() {
    return m_info ? static_cast<uint64_t>(m_info->total_size()) : 0;
}

uint32_t VQEngineTorrentInfo::GetPieceSize() {
    return m_info ? static_cast<uint32_t>(m_info->piece_length()) : 0;
}

bool VQEngineTorrentInfo::GetInfoHash(std::string* out) {
    if (!out || !m_info) return false;
    try {
        *out = lt::aux::to_hex(m_info->info_hashes().get_best());
        return true;
    } catch (...) {
        return false;
    }
}

bool VQEngineTorrentInfo::GetName(std::string* out) {
    if (!out || !m_info) return false;
    try {
        *out = Utf8ToAnsi(m_info->name());
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace Tessar
