#include "VQCore/gamelib/GameRecordFields.h"

#include "VQCore/gamelib/GameId.h"
#include "VQCore/gamelib/RecordNumber.h"
#include "common/CodePage.h"
#include "common/FormatText.h"
#include "common/NumberText.h"
#include "common/XmlElement.h"

#include <tinyxml.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Tessar {

namespace {

enum FieldKind { kIdField, kTextField, kNumberField, kStatusField, kCpuField };

enum NumberField { kSize, kPublish, kType, kLeague, kOs, kMemory, kVideo, kInstallSize, kDepend, kDLType };

struct FieldDef {
    const char* name;
    FieldKind kind;
    std::wstring VQGameRecord::*text;  // text fields
    NumberField number;                // number fields
    uint64_t maxValue;                 // number fields
};

const uint64_t kMax8 = 0xFF;
const uint64_t kMax16 = 0xFFFF;
const uint64_t kMax32 = 0xFFFFFFFF;
const uint64_t kMax64 = UINT64_MAX;

// In the order the writer puts them.
const FieldDef kFields[] = {
    {"ID", kIdField, nullptr, kSize, 0},
    {"GameName", kTextField, &VQGameRecord::GameName, kSize, 0},
    {"ExeName", kTextField, &VQGameRecord::ExeName, kSize, 0},
    {"Description", kTextField, &VQGameRecord::Description, kSize, 0},
    {"Company", kTextField, &VQGameRecord::Company, kSize, 0},
    {"InternalName", kTextField, &VQGameRecord::InternalName, kSize, 0},
    {"OriginalName", kTextField, &VQGameRecord::OriginalName, kSize, 0},
    {"DigitalSignature", kTextField, &VQGameRecord::DigitalSignature, kSize, 0},
    {"Md5", kTextField, &VQGameRecord::Md5, kSize, 0},
    {"Size", kNumberField, nullptr, kSize, kMax64},
    {"Publish", kNumberField, nullptr, kPublish, kMax8},
    {"Type", kNumberField, nullptr, kType, kMax8},
    {"Home", kTextField, &VQGameRecord::Home, kSize, 0},
    {"UninstallKey", kTextField, &VQGameRecord::UninstallKey, kSize, 0},
    {"Register", kTextField, &VQGameRecord::Register, kSize, 0},
    {"Login", kTextField, &VQGameRecord::Login, kSize, 0},
    {"Advert", kTextField, &VQGameRecord::Advert, kSize, 0},
    {"Help", kTextField, &VQGameRecord::Help, kSize, 0},
    {"League", kNumberField, nullptr, kLeague, kMax8},
    {"Status", kStatusField, nullptr, kSize, 0},
    {"OS", kNumberField, nullptr, kOs, kMax8},
    {"CPU", kCpuField, nullptr, kSize, 0},
    {"Memory", kNumberField, nullptr, kMemory, kMax32},
    {"Video", kNumberField, nullptr, kVideo, kMax32},
    {"InstallSize", kNumberField, nullptr, kInstallSize, kMax64},
    {"Depend", kNumberField, nullptr, kDepend, kMax16},
    {"Synopsis", kTextField, &VQGameRecord::Synopsis, kSize, 0},
    {"DLType", kNumberField, nullptr, kDLType, kMax16},
};
const size_t kFieldCount = sizeof(kFields) / sizeof(kFields[0]);

const char kCpuSeparator = '|';
const wchar_t kCpuSeparatorText[] = L"|";

const FieldDef* FindField(const char* name, VQGameFieldCursor& cursor) {
    for (size_t i = 0; i < kFieldCount; ++i) {
        size_t at = (cursor.next + i) % kFieldCount;
        if (std::strcmp(kFields[at].name, name) == 0) {
            cursor.next = at + 1;
            return &kFields[at];
        }
    }
    return nullptr;
}

void StoreNumber(VQGameRecord& record, NumberField field, uint64_t value) {
    switch (field) {
    case kSize: record.Size = value; break;
    case kPublish: record.Publish = static_cast<uint8_t>(value); break;
    case kType: record.Type = static_cast<uint8_t>(value); break;
    case kLeague: record.League = static_cast<uint8_t>(value); break;
    case kOs: record.OS = static_cast<uint8_t>(value); break;
    case kMemory: record.Memory = static_cast<uint32_t>(value); break;
    case kVideo: record.Video = static_cast<uint32_t>(value); break;
    case kInstallSize: record.InstallSize = value; break;
    case kDepend: record.Depend = static_cast<uint16_t>(value); break;
    case kDLType: record.DLType = static_cast<uint32_t>(value); break;
    }
}

// An empty text (an empty element of a MODIFY entry) clears the number.
bool ReadNumber(const char* text, uint64_t maxValue, uint64_t& value) {
    value = 0;
    return *text == '\0' || ReadRecordNumber(text, maxValue, value);
}

// Plain decimal, optionally with a fraction or an exponent as "%g" writes
// it; never negative, infinite or beyond a float.
bool ReadSpeed(std::string text, float& speed) {
    speed = 0.0f;
    const char kBlanks[] = " \t\r\n";
    text.erase(0, text.find_first_not_of(kBlanks));
    text.erase(text.find_last_not_of(kBlanks) + 1);
    if (text.empty())
        return true;
    if (text.find_first_not_of("0123456789.eE+-") != std::string::npos || text[0] < '0' || text[0] > '9')
        return false;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value) || value < 0.0 || value > FLT_MAX)
        return false;
    speed = static_cast<float>(value);
    return true;
}

bool ReadCpu(VQGameRecord& record, const std::string& text) {
    size_t bar = text.find(kCpuSeparator);
    uint64_t count = 0;
    float speed = 0.0f;
    if (!ReadNumber(text.substr(0, bar).c_str(), kMax8, count))
        return false;
    if (bar != std::string::npos && !ReadSpeed(text.substr(bar + 1), speed))
        return false;
    record.CpuCount = static_cast<uint8_t>(count);
    record.CpuSpeed = speed;
    return true;
}

uint64_t LoadNumber(const VQGameRecord& record, NumberField field) {
    switch (field) {
    case kSize: return record.Size;
    case kPublish: return record.Publish;
    case kType: return record.Type;
    case kLeague: return record.League;
    case kOs: return record.OS;
    case kMemory: return record.Memory;
    case kVideo: return record.Video;
    case kInstallSize: return record.InstallSize;
    case kDepend: return record.Depend;
    case kDLType: return record.DLType;
    }
    return 0;
}

}  // namespace

VQGameFieldResult ReadGameField(VQGameRecord& record, const char* name, const char* text, bool& publishSeen,
                                VQGameFieldCursor& cursor) {
    const FieldDef* field = name != nullptr ? FindField(name, cursor) : nullptr;
    if (field == nullptr || field->kind == kIdField)
        return kGameFieldIgnored;
    if (text == nullptr)
        text = "";
    switch (field->kind) {
    case kTextField:
        record.*field->text = NarrowToWide(text);
        break;
    case kNumberField: {
        uint64_t number = 0;
        if (!ReadNumber(text, field->maxValue, number))
            return kGameFieldMalformed;
        StoreNumber(record, field->number, number);
        if (field->number == kPublish)
            publishSeen = true;
        break;
    }
    case kStatusField:
        std::memset(record.Status, 0, sizeof(record.Status));
        std::memcpy(record.Status, text, strnlen(text, kGameStatusLength));
        break;
    case kCpuField:
        if (!ReadCpu(record, text))
            return kGameFieldMalformed;
        break;
    case kIdField:
        break;
    }
    return kGameFieldRead;
}

const char* GameElementText(const TiXmlElement* element) {
    const TiXmlNode* first = element != nullptr ? element->FirstChild() : nullptr;
    return first != nullptr && first->ToText() != nullptr ? first->Value() : nullptr;
}

bool ReadGameId(const char* text, uint32_t& id) {
    uint64_t value = 0;
    id = 0;
    if (text == nullptr || !ReadRecordNumber(text, kMax32, value))
        return false;
    id = static_cast<uint32_t>(value);
    return true;
}

bool IsGameIdField(const char* name) {
    return name != nullptr && std::strcmp(name, kFields[0].name) == 0;
}

void WriteGameFields(TiXmlElement* game, const VQGameRecord& record) {
    if (game == nullptr)
        return;
    for (const FieldDef& field : kFields) {
        std::wstring text;
        switch (field.kind) {
        case kIdField:
            text = FormatString(L"%05u", record.ID);
            break;
        case kTextField:
            text = record.*field.text;
            break;
        case kNumberField: {
            uint64_t value = LoadNumber(record, field.number);
            bool always = field.number == kPublish || field.number == kType;
            // League means something for web games only.
            if (field.number == kLeague ? IsWebGameId(record.ID) : always || value != 0)
                text = UInt64ToString(value);
            break;
        }
        case kStatusField:
            // Always written, even when empty.
            AddElementText(AddElement(game, NarrowToWide(field.name)),
                           NarrowToWideEx(record.Status, strnlen(record.Status, kGameStatusLength)));
            break;
        case kCpuField:
            if (record.CpuCount != 0) {
                text = UIntToString(record.CpuCount);
                if (record.CpuSpeed != 0.0f)
                    text += kCpuSeparatorText + FormatString(L"%.5g", static_cast<double>(record.CpuSpeed));
            }
            break;
        }
        if (!text.empty())
            AddElementText(AddElement(game, NarrowToWide(field.name)), text);
    }
}

}  // namespace Tessar
