#pragma once
// What the environment window's detection thread finds: the five runtime
// detectors, the DirectX version, and the Visual C++, XNA and .NET masks.

#include "VQCore/app/environment/EnvironmentCheck.h"
#include "VQCore/download/DetectEnvironment.h"

namespace Tessar {

// Fills state from the system the environment shows. A DirectX version
// that cannot be found keeps the one state held before.
void DetectRuntimeState(VQRuntimeState& state, const VQDetectEnvironment& environment = VQDetectEnvironment());

}  // namespace Tessar
