#include "VQCore/app/environment/RuntimeDetection.h"

#include "VQCore/download/DirectXVersion.h"
#include "VQCore/download/RuntimeMasks.h"
#include "VQCore/download/SoftwareDetect.h"

namespace Tessar {

namespace {

bool Detected(VQSoftwareDetect& detector, const VQDetectEnvironment& environment) {
    detector.SetEnvironment(environment);
    detector.Detect();
    return detector.IsInstalled();
}

}  // namespace

void DetectRuntimeState(VQRuntimeState& state, const VQDetectEnvironment& environment) {
    VQXLiveDetect xLive;
    VQPhysXDetect physX;
    VQJavaDetect java;
    VQOpenALDetect openAl;
    VQFlashDetect flash;
    state.xLive = Detected(xLive, environment);
    state.physX = Detected(physX, environment);
    state.java = Detected(java, environment);
    state.openAl = Detected(openAl, environment);
    state.flash = Detected(flash, environment);

    uint32_t major = 0, minor = 0;
    wchar_t letter = L' ';
    if (SUCCEEDED(DetectDirectXVersion(major, minor, letter, environment))) {
        state.directXMajor = major;
        state.directXMinor = minor;
    }
    uint32_t mask = 0;
    DetectVcRuntimes(mask, environment);
    state.vcMask = mask;
    mask = 0;
    DetectXna(mask, environment);
    state.xnaMask = mask;
    mask = 0;
    DetectDotNet(mask, environment);
    state.dotNetMask = mask;
}

}  // namespace Tessar
