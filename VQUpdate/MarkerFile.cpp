#include "VQUpdate/MarkerFile.h"

#include "common/Buffer.h"
#include "common/FileCipher.h"
#include "common/FileHandle.h"
#include "common/FileReplace.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "common/TextUtil.h"

#include <cstring>

namespace Tessar {

const wchar_t kDownloadMarkerName[] = L"download.vqt";
const wchar_t kStartupMarkerName[] = L"startup.vqt";
const wchar_t kUpgradeMarkerName[] = L"upgrade.vqt";
const wchar_t kRestartMarkerName[] = L"restart.vqt";
const wchar_t kMarkerRunWord[] = L"RUN";
const wchar_t kMarkerDeleteWord[] = L"DELETE";

namespace {

const uint32_t kCipherBlock = 8;
// Markers hold a few paths; anything larger is not one of ours.
const uint64_t kMaxMarkerBytes = 1024 * 1024;

// The record padded and enciphered, as it lies in the file.
bool SealMarker(const std::wstring& text, VQBuffer<unsigned char>& sealed, uint32_t& length) {
    uint64_t textBytes = static_cast<uint64_t>(text.size()) * sizeof(wchar_t);
    if (textBytes > kMaxMarkerBytes)
        return false;
    length = static_cast<uint32_t>((textBytes + kCipherBlock - 1) / kCipherBlock * kCipherBlock);
    VQBuffer<unsigned char> plain(length);
    sealed.Resize(length);
    if (length == 0)
        return true;
    std::memset(plain.data, 0, length);
    std::memcpy(plain.data, text.data(), static_cast<size_t>(textBytes));
    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    return CipherBuffer(length, key, plain.data, sealed.data, true);
}

}  // namespace

bool WriteMarkerFile(const std::wstring& path, const std::wstring& text) {
    std::wstring folder = GetFullPathFolder(path);
    if (folder.empty() || (!FolderExists(folder) && !CreateFolderChain(folder)))
        return false;
    VQBuffer<unsigned char> sealed;
    uint32_t length = 0;
    if (!SealMarker(text, sealed, length))
        return false;
    return WriteBytesReplacing(path, sealed.data, length);
}

bool OverwriteMarkerFile(const std::wstring& path, const std::wstring& text) {
    VQBuffer<unsigned char> sealed;
    uint32_t length = 0;
    if (text.empty() || !SealMarker(text, sealed, length))
        return false;
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL))
        return false;
    bool written = WriteFileHandle(file, sealed.data, length) && ::SetEndOfFile(file) &&
                   ::FlushFileBuffers(file) != FALSE;
    return CloseFileHandleChecked(file) && written;
}

std::wstring ReadMarkerFile(const std::wstring& path) {
    VQBuffer<unsigned char> sealed;
    if (!FileExists(path) || !ReadFileToBuffer(path, sealed))
        return std::wstring();
    if (sealed.size == 0 || sealed.size % kCipherBlock != 0 || sealed.size > kMaxMarkerBytes)
        return std::wstring();
    // One zero character behind the text ends it even when no padding did.
    VQBuffer<unsigned char> plain(sealed.size + sizeof(wchar_t));
    std::memset(plain.data, 0, plain.size);
    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    if (!CipherBuffer(sealed.size, key, sealed.data, plain.data, false))
        return std::wstring();
    size_t characters = sealed.size / sizeof(wchar_t);
    std::wstring text(reinterpret_cast<const wchar_t*>(plain.data), characters);
    size_t end = text.find(L'\0');
    if (end != std::wstring::npos)
        text.resize(end);
    return text;
}

void SplitList(const std::wstring& text, std::vector<std::wstring>& fields) {
    SplitAtChar(text, L';', fields);
}

std::wstring JoinList(const std::vector<std::wstring>& fields) {
    std::wstring text;
    for (const std::wstring& field : fields) {
        text += field;
        text += L';';
    }
    return text;
}

bool SplitRunRecord(const std::wstring& text, std::wstring& first, std::wstring& second, std::wstring& third) {
    if (text.empty() || text.back() != L';')
        return false;
    std::vector<std::wstring> fields;
    SplitList(text, fields);
    if (fields.size() != 4 || fields[0] != kMarkerRunWord)
        return false;
    first = fields[1];
    second = fields[2];
    third = fields[3];
    return true;
}

}  // namespace Tessar
