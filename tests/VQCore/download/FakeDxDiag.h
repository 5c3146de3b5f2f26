#pragma once
// A DxDiag provider that answers from a table, for the DirectX tests (Wine's
// provider gives fixed values, so the other answers need this seam).

#include <windows.h>

#include <dxdiag.h>

#include <map>
#include <string>

namespace Tessar {

struct VQFakeDxDiagProperty {
    VARTYPE type = VT_EMPTY;
    ULONG number = 0;
    std::wstring text;
};

struct VQFakeDxDiagSetup {
    HRESULT initializeResult = S_OK;
    bool hasSystemInfo = true;
    std::map<std::wstring, VQFakeDxDiagProperty> properties;  // of DxDiag_SystemInfo
    DWORD initializeSize = 0;       // what Initialize was given
    DWORD initializeHeaderVersion = 0;
    int liveObjects = 0;            // provider and containers not yet released
};

// A new provider with one reference, reading and recording in setup.
IDxDiagProvider* NewFakeDxDiagProvider(VQFakeDxDiagSetup& setup);

// The three properties of a DirectX version.
void SetFakeDirectXVersion(VQFakeDxDiagSetup& setup, ULONG major, ULONG minor, const std::wstring& letter);

}  // namespace Tessar
