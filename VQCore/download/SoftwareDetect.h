#pragma once
// Detectors of single runtimes: each probes the machine on Detect and keeps
// what it found. Only reading; a missing file, key, value, export or COM
// class leaves the detector not installed.

#include "VQCore/download/DetectEnvironment.h"

#include <cstdint>
#include <string>

namespace Tessar {

class VQSoftwareDetect {
public:
    virtual ~VQSoftwareDetect() = default;
    // Probes and fills the fields; the installed flag starts at 0 on every
    // call, the version fields keep what they held when nothing is found.
    virtual void Detect() = 0;
    virtual bool IsInstalled() const = 0;

    // The system the detector looks at; the real one unless a test sets another.
    void SetEnvironment(const VQDetectEnvironment& environment) { m_environment = environment; }

protected:
    VQDetectEnvironment m_environment;
};

// A runtime that is one library in the system's search path.
class VQLibraryDetect : public VQSoftwareDetect {
public:
    void Detect() override;
    // Installed and major > 0.
    bool IsInstalled() const override { return installed != 0 && version[0] > 0; }

    uint32_t version[4] = {0, 0, 0, 0};  // major, minor, build, revision
    uint8_t installed = 0;

protected:
    explicit VQLibraryDetect(const wchar_t* library) : m_library(library) {}

private:
    const wchar_t* m_library;
};

class VQXLiveDetect : public VQLibraryDetect {
public:
    VQXLiveDetect() : VQLibraryDetect(L"Xlive.dll") {}
};

class VQOpenALDetect : public VQLibraryDetect {
public:
    VQOpenALDetect() : VQLibraryDetect(L"OpenAL32.dll") {}
};

class VQPhysXDetect : public VQSoftwareDetect {
public:
    void Detect() override;
    // Installed and file-version major > 0.
    bool IsInstalled() const override { return installed != 0 && fileVersion[0] > 0; }

    // From the decimal "PhysX Version": digit pairs from the millions down.
    uint32_t registryVersion[4] = {0, 0, 0, 0};
    uint32_t fileVersion[4] = {0, 0, 0, 0};  // of PhysXLoader.dll
    uint8_t installed = 0;
};

// A Java runtime of either word size: on a 64-bit Windows the 64-bit
// registry view is asked first, then the 32-bit one; the first view whose
// runtime is complete wins. A runtime library of this program's word size
// must load; one of the other word size is never loaded into this process,
// only its headers are read.
class VQJavaDetect : public VQSoftwareDetect {
public:
    void Detect() override;
    // Installed and major > 0.
    bool IsInstalled() const override { return installed != 0 && version[0] > 0; }

    int32_t version[4] = {0, 0, 0, 0};  // parsed from "CurrentVersion"
    uint8_t installed = 0;

private:
    // The runtime of one view whose libraries are built for machine.
    void DetectInView(VQRegistryView view, uint16_t machine);
};

class VQFlashDetect : public VQSoftwareDetect {
public:
    void Detect() override;
    bool IsInstalled() const override { return installed != 0; }

    uint8_t installed = 0;
    // The Uninstall entry's display name, or "Adobe Flash Player N ActiveX"
    // from the control file's major product version.
    std::wstring versionText;
};

}  // namespace Tessar
