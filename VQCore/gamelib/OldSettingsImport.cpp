#include "VQCore/gamelib/OldSettingsImport.h"

#include "VQCore/gamelib/OptionStore.h"
#include "VQCore/gamelib/Settings.h"
#include "common/PathText.h"

#include <cstdint>

namespace Tessar {

namespace {

enum ValueKind { kInteger, kFlag, kText };

enum Rule {
    kAlways,
    kExistingFolder,    // texts naming a folder that is gone are dropped
    kPositive,          // taken only when above 0
    kPositiveOrDefault  // 0 or less becomes the default
};

struct Mapping {
    const wchar_t* section;
    const wchar_t* oldKey;
    uint32_t defaultValue;  // integers and flags; texts default to ""
    const wchar_t* key;
    ValueKind kind;
    Rule rule;
};

const uint32_t kDefaultMaxSpeed = 1024;

const Mapping kOldSettingsFile[] = {
    {L"CloseOptions", L"CloseAction", 0, L"CloseAction", kInteger, kAlways},
    {L"DownloadOptions", L"CacheDir", 0, L"CacheDir", kText, kExistingFolder},
    {L"DownloadOptions", L"MaxSpeed", kDefaultMaxSpeed, L"MaxSpeed", kInteger, kPositive},
    {L"DownloadOptions", L"SpeedLimit", 0, L"SpeedLimit", kFlag, kAlways},
    {L"GenericOptions", L"AutoRun", 0, L"AutoRun", kFlag, kAlways},
    {L"GenericOptions", L"AutoStartUndone", 0, L"AutoStartUndone", kFlag, kAlways},
    {L"GenericOptions", L"InstallDir", 0, L"InstallDir", kText, kExistingFolder},
    {L"PromptOptions", L"CompleteAudioTip", 1, L"CompleteAudioTip", kFlag, kAlways},
    {L"PromptOptions", L"CompleteMessageTip", 1, L"CompleteMessageTip", kFlag, kAlways},
    {L"UpdateOptions", L"DailyUpdateADTime", 0, L"UpdateAdvertTime", kText, kAlways},
    {L"UpdateOptions", L"DailyUpdateDBTime", 0, L"UpdateDatabaseTime", kText, kAlways},
    {L"UpdateOptions", L"UpdateTime", 0, L"UpdateTime", kText, kAlways},
};

const Mapping kOlderConfigFile[] = {
    {L"ADVANCE", L"OpenEffect", 1, L"OpenEffect", kFlag, kAlways},
    {L"ADVANCE", L"ExitMessageTip", 1, L"ExitMessageTip", kFlag, kAlways},
    {L"ADVANCE", L"RepairGameTip", 1, L"RepairGameTip", kFlag, kAlways},
    {L"CLOSE", L"CloseAction", 0, L"CloseAction", kInteger, kAlways},
    {L"DOWNLOAD", L"CacheDir", 0, L"CacheDir", kText, kAlways},
    {L"DOWNLOAD", L"MaxSpeed", kDefaultMaxSpeed, L"MaxSpeed", kInteger, kPositiveOrDefault},
    {L"DOWNLOAD", L"SpeedLimit", 0, L"SpeedLimit", kFlag, kAlways},
    {L"GENERIC", L"AutoRun", 0, L"AutoRun", kFlag, kAlways},
    {L"GENERIC", L"AutoStartUndone", 0, L"AutoStartUndone", kFlag, kAlways},
    {L"GENERIC", L"InstallDir", 0, L"InstallDir", kText, kAlways},
    {L"PROMPT", L"CompleteAudioTip", 1, L"CompleteAudioTip", kFlag, kAlways},
    {L"PROMPT", L"CompleteMessageTip", 1, L"CompleteMessageTip", kFlag, kAlways},
    {L"UPDATE", L"UpdateAdvertTime", 0, L"UpdateAdvertTime", kText, kAlways},
    {L"UPDATE", L"UpdateDatabaseTime", 0, L"UpdateDatabaseTime", kText, kAlways},
    {L"UPDATE", L"UpdateHotTime", 0, L"UpdateHotTime", kText, kAlways},
    {L"UPDATE", L"UpdateTime", 0, L"UpdateTime", kText, kAlways},
};

void ApplyMapping(const OptionStore& store, const Mapping& mapping, VQSettings& settings) {
    if (mapping.kind == kText) {
        std::wstring text = store.GetText(mapping.section, mapping.oldKey, std::wstring());
        if (mapping.rule != kExistingFolder || FolderExists(text))
            settings.SetString(mapping.key, text);
        return;
    }
    uint32_t value = store.GetInt(mapping.section, mapping.oldKey, mapping.defaultValue);
    if (mapping.kind == kFlag) {
        settings.SetBool(mapping.key, value != 0);
        return;
    }
    bool positive = static_cast<int32_t>(value) > 0;
    if (mapping.rule == kPositive && !positive)
        return;
    if (mapping.rule == kPositiveOrDefault && !positive)
        value = mapping.defaultValue;
    settings.SetInt(mapping.key, value);
}

template <size_t N>
void ApplyTable(const OptionStore& store, const Mapping (&table)[N], VQSettings& settings) {
    for (const Mapping& mapping : table)
        ApplyMapping(store, mapping, settings);
}

}  // namespace

void ApplyOldSettingsFile(const OptionStore& store, VQSettings& settings) {
    ApplyTable(store, kOldSettingsFile, settings);
}

void ApplyOlderConfigFile(const OptionStore& store, VQSettings& settings) {
    ApplyTable(store, kOlderConfigFile, settings);
}

}  // namespace Tessar
