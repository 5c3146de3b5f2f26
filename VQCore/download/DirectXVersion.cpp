#include "VQCore/download/DirectXVersion.h"

#include <dxdiag.h>
#include <objbase.h>
#include <oleauto.h>

#include "common/ComPtr.h"
#include "common/ComScope.h"
#include "common/PathText.h"
#include "common/TextUtil.h"
#include "common/Variant.h"
#include "VQCore/download/VersionProbe.h"

namespace Tessar {

namespace {

// One row of the file table: the file passes with a version at least
// minimum, or, when the row names two, with major 4 and at least minimum or
// major 5 and at least minimum5.
struct DirectXFileTest {
    const wchar_t* file;
    uint64_t minimum;
    uint64_t minimum5;  // 0: any major version compares against minimum
    uint32_t major;
    uint32_t minor;
    wchar_t letter;
};

const DirectXFileTest kDirectXFiles[] = {
    {L"ddraw.dll", PackVersion(4, 2, 0, 95), 0, 1, 0, L' '},
    {L"ddraw.dll", PackVersion(4, 3, 0, 1096), 0, 2, 0, L' '},
    {L"ddraw.dll", PackVersion(4, 4, 0, 68), 0, 3, 0, L' '},
    {L"d3drg8x.dll", PackVersion(4, 4, 0, 70), 0, 3, 0, L'a'},
    {L"ddraw.dll", PackVersion(4, 5, 0, 155), 0, 5, 0, L' '},
    {L"ddraw.dll", PackVersion(4, 6, 0, 318), 0, 6, 0, L' '},
    {L"ddraw.dll", PackVersion(4, 6, 0, 436), 0, 6, 1, L' '},
    {L"dplayx.dll", PackVersion(4, 6, 3, 518), 0, 6, 1, L'a'},
    {L"ddraw.dll", PackVersion(4, 7, 0, 700), 0, 7, 0, L' '},
    {L"dinput.dll", PackVersion(4, 7, 0, 716), 0, 7, 0, L'a'},
    {L"ddraw.dll", PackVersion(4, 8, 0, 400), PackVersion(5, 1, 2258, 400), 8, 0, L' '},
    {L"d3d8.dll", PackVersion(4, 8, 1, 881), PackVersion(5, 1, 2600, 881), 8, 1, L' '},
    {L"d3d8.dll", PackVersion(4, 8, 1, 901), PackVersion(5, 1, 2600, 901), 8, 1, L'a'},
    {L"mpg2splt.ax", PackVersion(6, 3, 1, 885), 0, 8, 1, L'b'},
    {L"dpnet.dll", PackVersion(4, 9, 0, 134), PackVersion(5, 2, 3677, 134), 8, 2, L' '},
    // Any version of d3d9.dll means 9.0.
    {L"d3d9.dll", 0, 0, 9, 0, L' '},
};

bool PassesFileTest(const DirectXFileTest& test, uint64_t version) {
    if (test.minimum5 == 0)
        return version >= test.minimum;
    const uint64_t major = version >> 48;
    if (major == 4)
        return version >= test.minimum;
    if (major == 5)
        return version >= test.minimum5;
    return false;
}

bool ReadUInt32Property(IDxDiagContainer* container, const wchar_t* name, uint32_t& out) {
    VQVariant property;
    if (FAILED(container->GetProp(name, property.Get())) || property.Get()->vt != VT_UI4)
        return false;
    out = property.Get()->ulVal;
    return true;
}

// The first character of the text, left as it was for an empty text.
bool ReadLetterProperty(IDxDiagContainer* container, const wchar_t* name, wchar_t& out) {
    VQVariant property;
    if (FAILED(container->GetProp(name, property.Get())) || property.Get()->vt != VT_BSTR)
        return false;
    const BSTR text = property.Get()->bstrVal;
    if (text != nullptr && ::SysStringLen(text) > 0 && text[0] != L'\0')
        out = text[0];
    return true;
}

bool DirectXVersionFromDxDiag(const VQDetectEnvironment& environment, uint32_t& major, uint32_t& minor,
                              wchar_t& letter) {
    if (!environment.createDxDiagProvider)
        return false;
    VQComPtr<IDxDiagProvider> provider;
    if (FAILED(environment.createDxDiagProvider(provider.Receive())) || !provider)
        return false;
    DXDIAG_INIT_PARAMS parameters = {};
    parameters.dwSize = sizeof(parameters);
    parameters.dwDxDiagHeaderVersion = DXDIAG_DX9_SDK_VERSION;
    parameters.bAllowWHQLChecks = FALSE;
    parameters.pReserved = nullptr;
    if (FAILED(provider->Initialize(&parameters)))
        return false;
    VQComPtr<IDxDiagContainer> root;
    if (FAILED(provider->GetRootContainer(root.Receive())) || !root)
        return false;
    VQComPtr<IDxDiagContainer> systemInfo;
    if (FAILED(root->GetChildContainer(L"DxDiag_SystemInfo", systemInfo.Receive())) || !systemInfo)
        return false;
    uint32_t readMajor = 0, readMinor = 0;
    wchar_t readLetter = L' ';
    if (!ReadUInt32Property(systemInfo.Get(), L"dwDirectXVersionMajor", readMajor) ||
        !ReadUInt32Property(systemInfo.Get(), L"dwDirectXVersionMinor", readMinor) ||
        !ReadLetterProperty(systemInfo.Get(), L"szDirectXVersionLetter", readLetter))
        return false;
    major = readMajor;
    minor = readMinor;
    letter = readLetter;
    return true;
}

}  // namespace

bool DirectXVersionFromFiles(const VQDetectEnvironment& environment, uint32_t& major, uint32_t& minor,
                             wchar_t& letter) {
    major = 0;
    minor = 0;
    letter = L' ';
    const std::wstring systemFolder = environment.SystemFolder();
    if (systemFolder.empty() || !environment.fileProductVersion)
        return false;
    bool found = false;
    for (const DirectXFileTest& test : kDirectXFiles) {
        uint64_t version = 0;
        if (!environment.fileProductVersion(CombinePath(systemFolder, test.file), version) ||
            !PassesFileTest(test, version))
            continue;
        major = test.major;
        minor = test.minor;
        letter = test.letter;
        found = true;
    }
    return found;
}

HRESULT DetectDirectXVersion(uint32_t& major, uint32_t& minor, wchar_t& letter,
                             const VQDetectEnvironment& environment) {
    major = 0;
    minor = 0;
    letter = L' ';
    bool found = false;
    {
        VQComScope com;
        found = DirectXVersionFromDxDiag(environment, major, minor, letter);
    }
    if (!found)
        found = DirectXVersionFromFiles(environment, major, minor, letter);
    if (!found)
        return E_FAIL;
    letter = ToLowerChar(letter);
    return S_OK;
}

}  // namespace Tessar
