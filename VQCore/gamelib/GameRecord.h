#pragma once
// One catalogue entry of the game database (database.vqx), owned by the
// database object. Field names are the element names of the file.

#include <cstdint>
#include <string>

namespace Tessar {

const uint32_t kGameStatusLength = 8;

struct VQGameRecord {
    std::wstring GameName;
    // Its band gives the game's kind (GameId.h); 0 means no id.
    uint32_t ID = 0;
    // The game's main executable; the exe-name index key of kinds 2 and 5.
    std::wstring ExeName;
    // Version-resource texts and signer of the executable.
    std::wstring Description;
    std::wstring Company;
    std::wstring InternalName;
    std::wstring OriginalName;
    std::wstring DigitalSignature;
    // MD5 of the executable as hex text; the Md5 index key of kind 1.
    std::wstring Md5;
    uint64_t Size = 0;  // of the executable
    // Nonzero: the game is shown on the pages.
    uint8_t Publish = 0;
    uint8_t Type = 0;
    std::wstring Home;
    std::wstring Register;
    std::wstring Login;
    std::wstring Advert;
    std::wstring Help;
    // Kept for web games only.
    uint8_t League = 0;
    std::wstring UninstallKey;
    uint8_t OS = 0;
    uint8_t CpuCount = 0;
    float CpuSpeed = 0.0f;
    uint32_t Memory = 0;
    uint32_t Video = 0;
    uint64_t InstallSize = 0;
    uint16_t Depend = 0;
    std::wstring Synopsis;
    // 2 peer-to-peer, anything else HTTP; read as at most 16 bits.
    uint32_t DLType = 0;
    // Status flags as characters, NUL-padded and terminated.
    char Status[kGameStatusLength + 1] = {};
    // The next record with the same index key; not owning, null at the end.
    VQGameRecord* NextSameKey = nullptr;
};

}  // namespace Tessar
