#pragma once
// The DirectX version of the machine: from the DxDiag provider, or else
// from the versions of the DirectX files in the system folder.

#include "VQCore/download/DetectEnvironment.h"

#include <windows.h>

#include <cstdint>

namespace Tessar {

// S_OK with the version ("9", "0", 'c'; the letter lower case, a blank
// when there is none); E_FAIL with 0, 0 and a blank when neither way gives
// one. Initialises COM on the calling thread for the call.
HRESULT DetectDirectXVersion(uint32_t& major, uint32_t& minor, wchar_t& letter,
                             const VQDetectEnvironment& environment = VQDetectEnvironment());

// The file table alone: the last passing test of the system folder's files
// wins; false (0, 0, blank) when none passes.
bool DirectXVersionFromFiles(const VQDetectEnvironment& environment, uint32_t& major, uint32_t& minor,
                             wchar_t& letter);

}  // namespace Tessar
