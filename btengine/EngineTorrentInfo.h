#pragma once
// The content of one torrent as the program sees it: ANSI names, backslashes.

#include <libtorrent/fwd.hpp>

#include <memory>

#include "btengine/BTEngine.h"

namespace Tessar {

class VQEngineTorrentInfo : public IBTTorrentInfo {
public:
    explicit VQEngineTorrentInfo(std::shared_ptr<const libtorrent::torrent_info> info);

    uint32_t GetFileCount() override;
    uint64_t GetFileSize(uint32_t index) override;
    bool GetFilePath(uint32_t index, std::string* out) override;
    uint64_t GetTotalSize() override;
    uint32_t GetPieceSize() override;
    bool GetInfoHash(std::string* out) override;
    bool GetName(std::string* out) override;

private:
    std::shared_ptr<const libtorrent::torrent_info> m_info;
};

}  // namespace Tessar
