#include "common/ScrambledXmlFile.h"

#include "common/CodePage.h"
#include "common/FileCipher.h"
#include "common/FileHandle.h"
#include "common/FileReplace.h"
#include "common/Md5.h"
#include "common/TextUtil.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"
#include "common/XmlFile.h"

#include <windows.h>

#include <cstring>
#include <new>

namespace Tessar {

namespace {

const char kChecksumElement[] = "MD5";
const char kEmptyChecksumElement[] = "<MD5 />";  // as TinyXML prints it
const uint32_t kEmptyChecksumLength = 7;
// The filled element is this much longer than the empty one.
const uint32_t kChecksumGrowth = kScrambledBodyOffset - kEmptyChecksumLength;

inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ReadWholeFile(HANDLE file, char* block, uint32_t size) {
    uint32_t total = 0;
    while (total < size) {
        uint32_t got = 0;
        // Nothing read before the size is reached: the file was cut meanwhile.
        if (!ReadFileHandle(file, block + total, size - total, &got) || got == 0)
            return false;
        total += got;
    }
    return true;
}

bool HeadMatches(const char* plain, uint32_t size) {
    // Too short to hold the head and at least one checksummed byte.
    if (size <= kScrambledBodyOffset)
        return false;
    for (int i = 0; i < 3; ++i) {
        if (LowerAscii(plain[1 + i]) != LowerAscii(kChecksumElement[i]))
            return false;
    }
    const char* stored = plain + kScrambledChecksumOffset;
    size_t storedLength = 0;
    while (storedLength < kScrambledChecksumLength && stored[storedLength] != '\0')
        ++storedLength;
    if (storedLength != kScrambledChecksumLength)
        return false;
    std::wstring storedText = NarrowToWideEx(stored, storedLength);
    std::wstring computed =
        Md5OfBuffer(plain + kScrambledBodyOffset, static_cast<int32_t>(size - kScrambledBodyOffset));
    return storedText.size() == computed.size() && CompareNoCase(storedText, computed, computed.size()) == 0;
}

int32_t ReadAndDecipher(HANDLE file, VQBuffer<char>& plain) {
    uint64_t size = 0;
    if (!GetFileHandleSize(file, size) || size == 0 || size > kScrambledMaxFileSize)
        return kScrambledUnreadable;
    uint32_t length = static_cast<uint32_t>(size);
    // Read and deciphered in place: large files (the catalogue) are not
    // held twice.
    VQBuffer<char> text(length + 1);
    text.data[length] = '\0';
    if (!ReadWholeFile(file, text.data, length))
        return kScrambledUnreadable;

    uint32_t key[kCipherKeyWords];
    BuildCipherKey(key);
    bool deciphered = CipherBuffer(length, key, text.data, text.data, false);
    if (!deciphered)
        std::memset(text.data, 0, text.size);
    plain = std::move(text);
    if (!deciphered)
        return kScrambledRefused;
    return HeadMatches(plain.data, length) ? kScrambledLoaded : kScrambledBadHead;
}

// Drops the top-level MD5 elements and puts an empty one first.
TiXmlElement* ResetChecksumElement(TiXmlDocument& document) {
    TiXmlNode* node = document.FirstChild();
    while (node != nullptr) {
        TiXmlNode* next = node->NextSibling();
        if (node->ToElement() != nullptr && std::strcmp(node->Value(), kChecksumElement) == 0)
            document.RemoveChild(node);
        node = next;
    }
    TiXmlElement empty(kChecksumElement);
    TiXmlNode* added = document.FirstChild() != nullptr ? document.InsertBeforeChild(document.FirstChild(), empty)
                                                        : document.InsertEndChild(empty);
    return added != nullptr ? added->ToElement() : nullptr;
}

bool PrintToString(const TiXmlDocument& document, std::string& text) {
    VQBuffer<char> printed;
    if (!PrintXmlToBuffer(&document, printed))
        return false;
    text.assign(printed.data, printed.size - 1);
    return true;
}

}  // namespace

int32_t ReadScrambledFile(const std::wstring& path, VQBuffer<char>& plain) {
    HANDLE file = INVALID_HANDLE_VALUE;
    if (!OpenFileHandle(file, path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL))
        return kScrambledUnreadable;
    int32_t result = kScrambledUnreadable;
    try {
        result = ReadAndDecipher(file, plain);
    } catch (const std::bad_alloc&) {
        result = kScrambledUnreadable;
    }
    CloseFileHandle(file);
    return result;
}

int32_t LoadScrambledXmlFile(VQXmlFile& file, const std::wstring& path) {
    return ReadScrambledFile(path, file.RawText());
}

bool ScrambleXmlDocument(TiXmlDocument& document, VQBuffer<char>& out) {
    try {
        TiXmlElement* checksum = ResetChecksumElement(document);
        std::string first;
        if (checksum == nullptr || !PrintToString(document, first) ||
            first.compare(0, kEmptyChecksumLength, kEmptyChecksumElement) != 0)
            return false;
        // Padded so that the final text, with the filled element, is a
        // whole number of cipher blocks; the checksum covers the padding.
        size_t padding = (8 - (first.size() + kChecksumGrowth) % 8) % 8;
        std::string body = first.substr(kEmptyChecksumLength) + std::string(padding, '\0');
        if (first.size() + kChecksumGrowth + padding > kScrambledMaxFileSize)
            return false;
        std::wstring digest = Md5OfBuffer(body.data(), static_cast<int32_t>(body.size()));
        AddElementText(checksum, digest);

        std::string plain;
        if (!PrintToString(document, plain))
            return false;
        plain.append(padding, '\0');
        // The second print must differ only by the filled element.
        if (plain.size() != kScrambledBodyOffset + body.size() ||
            plain.compare(kScrambledBodyOffset, std::string::npos, body) != 0 ||
            plain.compare(kScrambledChecksumOffset, kScrambledChecksumLength, WideToNarrow(digest)) != 0)
            return false;

        uint32_t key[kCipherKeyWords];
        BuildCipherKey(key);
        VQBuffer<char> enciphered(static_cast<uint32_t>(plain.size()));
        if (!CipherBuffer(enciphered.size, key, plain.data(), enciphered.data, true))
            return false;
        out = std::move(enciphered);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool SaveScrambledXmlFile(TiXmlDocument& document, const std::wstring& path) {
    VQBuffer<char> bytes;
    return ScrambleXmlDocument(document, bytes) && WriteBytesReplacing(path, bytes.data, bytes.size);
}

}  // namespace Tessar
