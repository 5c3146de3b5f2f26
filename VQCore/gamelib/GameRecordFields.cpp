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
};

// In the order the writer puts them.
const FieldDef kFields[] = {
    {"ID", kIdField, nullptr, kSize},
    {"GameName", kTextField, &VQGameRecord::GameName, kSize},
    {"ExeName", kTextField, &VQGameRecord::ExeName, kSize},
    {"Description", kTextField, &VQGameRecord::Description, kSize},
    {"Company", kTextField, &VQGameRecord::Company, kSize},
    {"InternalName", kTextField, &VQGameRecord::InternalName, kSize},
    {"OriginalName", kTextField, &VQGameRecord::OriginalName, kSize},
    {"DigitalSignature", kTextField, &VQGameRecord::DigitalSignature, kSize},
    {"Md5", kTextField, &VQGameRecord::Md5, kSize},
    {"Size", kNumberField, nullptr, kSize},
    {"Publish", kNumberField, nullptr, kPublish},
    {"Type", kNumberField, nullptr, kType},
    {"Home", kTextField, &VQGameRecord::Home, kSize},
    {"UninstallKey", kTextField, &VQGameRecord::UninstallKey, kSize},
    {"Register", kTextField, &VQGameRecord::Register, kSize},
    {"Login", kTextField, &VQGameRecord::Login, kSize},
    {"Advert", kTextField, &VQGameRecord::Advert, kSize},
    {"Help", kTextField, &VQGameRecord::Help, kSize},
    {"League", kNumberField, nullptr, kLeague},
    {"Status", kStatusField, nullptr, kSize},
    {"OS", kNumberField, nullptr, kOs},
    {"CPU", kCpuField, nullptr, kSize},
    {"Memory", kNumberField, nullptr, kMemory},
    {"Video", kNumberField, nullptr, kVideo},
    {"InstallSize", kNumberField, nullptr, kInstallSize},
    {"Depend", kNumberField, nullptr, kDepend},
    {"Synopsis", kTextField, &VQGameRecord::Synopsis, kSize},
    {"DLType", kNumberField, nullptr, kDLType},
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
    // The catalogue has always kept only the low 16 bits of a download type.
    case kDLType: record.DLType = static_cast<uint16_t>(value); break;
    }
}

// A floating-point number from the text's start ("2.4", "1e3", "2.4GHz";
// no number gives 0). Only finite values that a float holds are kept.
float ReadSpeed(const std::string& text) {
    double value = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(value) || value > FLT_MAX || value < -FLT_MAX)
        return 0.0f;
    return static_cast<float>(value);
}

// "count" or "count|speed".
void ReadCpu(VQGameRecord& record, const std::string& text) {
    size_t bar = text.find(kCpuSeparator);
    record.CpuCount = ReadLowBits<uint8_t>(text.substr(0, bar).c_str());
    record.CpuSpeed = bar != std::string::npos ? ReadSpeed(text.substr(bar + 1)) : 0.0f;
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
    case kNumberField:
        // Leading digits, an empty text (an empty element of a MODIFY
        // entry) clearing the number.
        StoreNumber(record, field->number, LeadingNumber(text));
        if (field->number == kPublish)
            publishSeen = true;
        break;
    case kStatusField:
        std::memset(record.Status, 0, sizeof(record.Status));
        std::memcpy(record.Status, text, strnlen(text, kGameStatusLength));
        break;
    case kCpuField:
        ReadCpu(record, text);
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

uint32_t ReadGameId(const char* text) {
    return ReadCrtInt(text);
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
