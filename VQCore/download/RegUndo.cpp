#include "VQCore/download/RegUndo.h"

#include "VQCore/download/ByteOrder.h"
#include "VQCore/download/RegFileApply.h"

#include <cstring>
#include <string>
#include <vector>

namespace Tessar {

namespace {

const uint32_t kHeadSize = 8;

}  // namespace

void WriteRegUndoData(const std::deque<VQRegKey>& undo, VQBuffer<unsigned char>& out) {
    std::string block;
    AppendU32(block, static_cast<uint32_t>(undo.size()));
    AppendU32(block, 0);
    for (const VQRegKey& record : undo) {
        AppendU32(block, record.GetSerialSize());
        record.Serialise(block);
    }
    StoreU32(reinterpret_cast<unsigned char*>(&block[4]), static_cast<uint32_t>(block.size() - kHeadSize));
    out.Resize(static_cast<uint32_t>(block.size()));
    std::memcpy(out.data, block.data(), block.size());
}

bool ApplyRegUndoData(const VQBuffer<unsigned char>& data) {
    if (data.data == nullptr || data.size < kHeadSize)
        return false;
    uint32_t count = LoadU32(data.data);
    uint32_t payload = LoadU32(data.data + 4);
    if (count == 0)
        return true;
    if (payload > data.size - kHeadSize)
        return false;
    const unsigned char* at = data.data + kHeadSize;
    uint32_t left = payload;
    std::vector<VQRegKey> records;
    for (uint32_t i = 0; i < count; ++i) {
        if (left < 4)
            return false;
        uint32_t length = LoadU32(at);
        at += 4;
        left -= 4;
        if (length > left)
            return false;
        VQRegKey record;
        if (!record.Deserialise(at, length))
            return false;
        records.push_back(std::move(record));
        at += length;
        left -= length;
    }
    bool ok = true;
    for (auto record = records.rbegin(); record != records.rend(); ++record)
        ok = ApplyRegKey(*record, true) && ok;
    return ok;
}

}  // namespace Tessar
