#pragma once
// A made-up machine for the runtime detectors: its HKEY_LOCAL_MACHINE and
// HKEY_CLASSES_ROOT are key trees in a scratch key, its system folder is a
// scratch folder, and its MSI database, processor, ProgID table and DxDiag
// provider are answers the test sets.

#include "VQCore/download/DetectEnvironment.h"
#include "tests/support/ScratchRegistryKey.h"
#include "tests/support/TempFolder.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Tessar {

// Copies the stand-in library (with or without its "physxDevInit" export)
// to target and gives the copy a version resource with that product
// version; without a version the copy has none.
bool MakeStubLibrary(const std::wstring& target, bool withExport, const uint16_t* productVersion);
bool MakeStubLibrary(const std::wstring& target, bool withExport, uint16_t major, uint16_t minor, uint16_t build,
                     uint16_t revision);

class VQRuntimeMachine {
public:
    VQRuntimeMachine();

    bool IsValid() const { return m_registry.IsValid() && !m_folder.Path().empty(); }
    // The environment that shows this machine (it refers to the machine,
    // which must outlive it). msiInstalled false makes msi.dll missing; the
    // DxDiag provider is a missing class.
    VQDetectEnvironment Environment() const;

    bool SetString(const std::wstring& key, const std::wstring& name, const std::wstring& value,
                   bool classesRoot = false);
    bool SetDword(const std::wstring& key, const std::wstring& name, uint32_t value);
    bool CreateKey(const std::wstring& key);
    // A value of HKEY_LOCAL_MACHINE's 64-bit view, which this machine keeps
    // in a tree of its own (the others above are the 32-bit view).
    bool SetString64(const std::wstring& key, const std::wstring& name, const std::wstring& value);

    // Path of a file in the system folder, and a stand-in library there.
    std::wstring SystemFile(const std::wstring& name) const;
    bool AddSystemLibrary(const std::wstring& name, uint16_t major, uint16_t minor, uint16_t build,
                          uint16_t revision, bool withExport = true);
    // A folder outside the system folder for other files.
    const VQTempFolder& Files() const { return m_folder; }

    uint16_t architecture = PROCESSOR_ARCHITECTURE_INTEL;
    bool msiInstalled = true;
    std::map<std::wstring, int32_t> msiStates;  // by braced code; others are unknown (-1)
    std::map<std::wstring, CLSID> progIds;
    mutable std::vector<std::wstring> msiQueries;  // every code asked, in order

private:
    std::wstring RootPath(bool classesRoot) const;
    std::wstring Root64Path() const;

    VQScratchRegistryKey m_registry;
    VQTempFolder m_folder;
};

}  // namespace Tessar
