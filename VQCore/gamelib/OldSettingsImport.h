#pragma once
// The settings files of older releases, applied to the settings store key
// by key. Both are option-store files with other section and key names than
// the current config.xml.

namespace Tessar {

class OptionStore;
class VQSettings;

// "config.vqc" of the oldest releases (sections CloseOptions,
// DownloadOptions, GenericOptions, PromptOptions, UpdateOptions). Folders
// are taken only when they exist, MaxSpeed only when above 0.
void ApplyOldSettingsFile(const OptionStore& store, VQSettings& settings);
// A config\config.xml of a version other than 1.6 and 1.7 (sections ADVANCE, CLOSE,
// DOWNLOAD, GENERIC, PROMPT, UPDATE). Every key is set, a missing one to its
// old default; a MaxSpeed of 0 or less becomes 1024.
void ApplyOlderConfigFile(const OptionStore& store, VQSettings& settings);

}  // namespace Tessar
