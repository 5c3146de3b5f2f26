#include "VQCore/download/RuntimeMasks.h"

namespace Tessar {

namespace {

const int32_t kInstallStateDefault = 5;  // INSTALLSTATE_DEFAULT

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

enum Column { kColumnX86, kColumnX64, kColumnIa64, kColumnCount };

// Product codes of one mask bit, per column; unused slots are null.
struct VcRuntimeRow {
    uint32_t bit;
    const wchar_t* codes[kColumnCount][3];
};

const VcRuntimeRow kVcRuntimes[] = {
    {0x01,
     {{L"A49F249F-0C91-497F-86DF-B2585E8E76B7"},
      {L"6E8E85E8-CE4B-4FF5-91F7-04999C9FAE6A"},
      {L"03ED71EA-F531-4927-AABD-1C31BCE8E187"}}},
    {0x02,
     {{L"7299052B-02A4-4627-81F2-1818DA5D550D", L"837B34E3-7C30-493C-8F6A-2B0F04E2912C"},
      {L"071C9B48-7C32-4621-A0AC-3F809523288F", L"6CE5BAE9-D3CA-4B99-891A-1DC6C118A5FC"},
      {L"0F8FB34E-675E-42ED-850B-29D98C2ECE08", L"85025851-A784-46D8-950D-05CB3CA43A13"}}},
    {0x04,
     {{L"196BB40D-1578-3D01-B289-BEFC77A11A1E"},
      {L"DA5E371C-6333-3D8A-93A4-6FD5B20BCC6E"},
      {L"C1A35166-4301-38E9-BA67-02823AD72A1B"}}},
    {0x08,
     {{L"9A25302D-30C0-39D9-BD6F-21E6EC160475", L"1F1C2DFC-2D24-3E06-BCB8-725134ADF989",
       L"9BE518E6-ECC6-35A9-88E4-87755C07200F"},
      {L"8220EEFE-38CD-377E-8595-13398D740ACE", L"4B6C7001-C7D6-3710-913E-5BC23FCE91E6",
       L"5FCE6D76-F5DC-37AB-B2B8-22AB8CEDB1D4"},
      {L"5827ECE1-AEB0-328E-B813-6FC68622C1F9", L"977AD349-C2A8-39DD-9273-285C08987C7B",
       L"515643D1-4E9E-342F-A75A-D1F16448DC04"}}},
    // The third family's base release has the same codes as the second's.
    {0x10,
     {{L"196BB40D-1578-3D01-B289-BEFC77A11A1E"},
      {L"DA5E371C-6333-3D8A-93A4-6FD5B20BCC6E"},
      {L"C1A35166-4301-38E9-BA67-02823AD72A1B"}}},
    {0x20,
     {{L"F0C3E5D1-1ADE-321E-8167-68EF0DE699A5"},
      {L"1D8E6291-B0D5-35EC-8441-6616F567A0F7"},
      {L"88C73C1C-2DE5-3B01-AFB8-B46EF4AB41CD"}}},
};

Column ColumnOf(uint16_t architecture) {
    switch (architecture) {
    case PROCESSOR_ARCHITECTURE_AMD64:
        return kColumnX64;
    case PROCESSOR_ARCHITECTURE_IA64:
        return kColumnIa64;
    default:
        return kColumnX86;
    }
}

}  // namespace

bool IsMsiProductInstalled(const std::wstring& code, const VQDetectEnvironment& environment) {
    const std::wstring braced = L"{" + code + L"}";
    int32_t state = 0;
    if (environment.msiProductState && environment.msiProductState(braced, state))
        return state == kInstallStateDefault;
    VQRegKeyHolder key;
    return environment.localMachine.Open(key, kUninstallKey + braced);
}

void DetectVcRuntimes(uint32_t& mask, const VQDetectEnvironment& environment) {
    mask = 0;
    uint16_t architecture = environment.processorArchitecture ? environment.processorArchitecture()
                                                              : static_cast<uint16_t>(PROCESSOR_ARCHITECTURE_INTEL);
    const Column column = ColumnOf(architecture);
    for (const VcRuntimeRow& row : kVcRuntimes) {
        for (const wchar_t* code : row.codes[column]) {
            if (code != nullptr && IsMsiProductInstalled(code, environment)) {
                mask |= row.bit;
                break;
            }
        }
    }
}

}  // namespace Tessar
