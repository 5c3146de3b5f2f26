#include "tests/VQCore/download/RuntimeMachine.h"

#include <winver.h>

#include <vector>

#include "common/PathText.h"
#include "tests/VQCore/download/PackageTestUtil.h"

namespace Tessar {

namespace {

void Put16(std::vector<unsigned char>& block, uint16_t value) {
    block.push_back(static_cast<unsigned char>(value & 0xFF));
    block.push_back(static_cast<unsigned char>(value >> 8));
}

void PadTo4(std::vector<unsigned char>& block) {
    while (block.size() % 4 != 0)
        block.push_back(0);
}

// A VS_VERSIONINFO block holding only the fixed part.
std::vector<unsigned char> VersionBlock(const uint16_t* version) {
    std::vector<unsigned char> block;
    Put16(block, 0);  // length, set below
    Put16(block, static_cast<uint16_t>(sizeof(VS_FIXEDFILEINFO)));
    Put16(block, 0);  // binary value
    for (const wchar_t* c = L"VS_VERSION_INFO";; ++c) {
        Put16(block, static_cast<uint16_t>(*c));
        if (*c == L'\0')
            break;
    }
    PadTo4(block);
    VS_FIXEDFILEINFO fixed = {};
    fixed.dwSignature = 0xFEEF04BD;
    fixed.dwStrucVersion = 0x00010000;
    fixed.dwFileVersionMS = fixed.dwProductVersionMS = (static_cast<DWORD>(version[0]) << 16) | version[1];
    fixed.dwFileVersionLS = fixed.dwProductVersionLS = (static_cast<DWORD>(version[2]) << 16) | version[3];
    fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    fixed.dwFileOS = VOS_NT_WINDOWS32;
    fixed.dwFileType = VFT_DLL;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&fixed);
    block.insert(block.end(), bytes, bytes + sizeof(fixed));
    PadTo4(block);
    block[0] = static_cast<unsigned char>(block.size() & 0xFF);
    block[1] = static_cast<unsigned char>(block.size() >> 8);
    return block;
}

}  // namespace

bool MakeStubLibrary(const std::wstring& target, bool withExport, const uint16_t* productVersion) {
    const std::wstring source = FixturePath(withExport ? L"RuntimeStubExport.dll" : L"RuntimeStubPlain.dll");
    if (source.empty() || !::CopyFileW(source.c_str(), target.c_str(), FALSE))
        return false;
    if (productVersion == nullptr)
        return true;
    std::vector<unsigned char> block = VersionBlock(productVersion);
    HANDLE update = ::BeginUpdateResourceW(target.c_str(), FALSE);
    if (update == nullptr)
        return false;
    if (!::UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO),
                           MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), block.data(),
                           static_cast<DWORD>(block.size()))) {
        ::EndUpdateResourceW(update, TRUE);
        return false;
    }
    return ::EndUpdateResourceW(update, FALSE) != FALSE;
}

bool MakeStubLibrary(const std::wstring& target, bool withExport, uint16_t major, uint16_t minor, uint16_t build,
                     uint16_t revision) {
    const uint16_t version[4] = {major, minor, build, revision};
    return MakeStubLibrary(target, withExport, version);
}

VQRuntimeMachine::VQRuntimeMachine() {
    if (!m_folder.Path().empty())
        m_folder.MakeFolder(L"system32");
}

std::wstring VQRuntimeMachine::RootPath(bool classesRoot) const {
    return m_registry.PathOf(classesRoot ? L"HKCR" : L"HKLM");
}

std::wstring VQRuntimeMachine::Root64Path() const {
    return m_registry.PathOf(L"HKLM64");
}

VQDetectEnvironment VQRuntimeMachine::Environment() const {
    VQDetectEnvironment environment;
    environment.localMachine.key = m_registry.Root();
    environment.localMachine.base = RootPath(false);
    environment.localMachine.base64 = Root64Path();
    environment.classesRoot.key = m_registry.Root();
    environment.classesRoot.base = RootPath(true);
    environment.systemFolder = SystemFile(L"");
    environment.processorArchitecture = [this]() { return architecture; };
    environment.clsidFromProgId = [this](const wchar_t* progId, CLSID* clsid) -> HRESULT {
        auto found = progIds.find(progId);
        if (found == progIds.end())
            return CO_E_CLASSSTRING;
        *clsid = found->second;
        return S_OK;
    };
    environment.msiProductState = [this](const std::wstring& code, int32_t& state) {
        if (!msiInstalled)
            return false;
        msiQueries.push_back(code);
        auto found = msiStates.find(code);
        state = found == msiStates.end() ? -1 : found->second;
        return true;
    };
    environment.createDxDiagProvider = [](IDxDiagProvider** provider) -> HRESULT {
        *provider = nullptr;
        return REGDB_E_CLASSNOTREG;
    };
    return environment;
}

bool VQRuntimeMachine::CreateKey(const std::wstring& key) {
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(m_registry.Root(), (RootPath(false) + L"\\" + key).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(handle);
    return true;
}

bool VQRuntimeMachine::SetString(const std::wstring& key, const std::wstring& name, const std::wstring& value,
                                 bool classesRoot) {
    VQRegKeyHolder holder;
    if (!holder.RegCreateKeyPath(m_registry.Root(), RootPath(classesRoot) + L"\\" + key))
        return false;
    VQRegValue text(REG_SZ, name);
    text.text = value + L'\0';
    return holder.RegSetValueFlush(name, text);
}

bool VQRuntimeMachine::SetString64(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    VQRegKeyHolder holder;
    if (!holder.RegCreateKeyPath(m_registry.Root(), Root64Path() + L"\\" + key))
        return false;
    VQRegValue text(REG_SZ, name);
    text.text = value + L'\0';
    return holder.RegSetValueFlush(name, text);
}

bool VQRuntimeMachine::SetDword(const std::wstring& key, const std::wstring& name, uint32_t value) {
    VQRegKeyHolder holder;
    if (!holder.RegCreateKeyPath(m_registry.Root(), RootPath(false) + L"\\" + key))
        return false;
    VQRegValue number(REG_DWORD, name);
    number.number = value;
    return holder.RegSetValueFlush(name, number);
}

std::wstring VQRuntimeMachine::SystemFile(const std::wstring& name) const {
    const std::wstring folder = m_folder.PathOf(L"system32");
    return name.empty() ? folder : CombinePath(folder, name);
}

bool VQRuntimeMachine::AddSystemLibrary(const std::wstring& name, uint16_t major, uint16_t minor, uint16_t build,
                                        uint16_t revision, bool withExport) {
    return MakeStubLibrary(SystemFile(name), withExport, major, minor, build, revision);
}

}  // namespace Tessar
