#include "common/ExecutableInfo.h"

#include <wincrypt.h>
#include <winver.h>

#include <cwchar>

#include "common/FormatText.h"

namespace Tessar {

namespace {

const DWORD kSignatureEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// One entry of the version block's translation table.
struct Translation {
    uint16_t language;
    uint16_t codePage;
};

// Owners of what CryptQueryObject hands out.
struct CertStoreHolder {
    HCERTSTORE store = nullptr;
    ~CertStoreHolder() {
        if (store != nullptr)
            ::CertCloseStore(store, 0);
    }
};
struct CryptMsgHolder {
    HCRYPTMSG message = nullptr;
    ~CryptMsgHolder() {
        if (message != nullptr)
            ::CryptMsgClose(message);
    }
};
struct LocalMemoryHolder {
    HLOCAL memory = nullptr;
    ~LocalMemoryHolder() {
        if (memory != nullptr)
            ::LocalFree(memory);
    }
};
struct CertContextHolder {
    PCCERT_CONTEXT context = nullptr;
    ~CertContextHolder() {
        if (context != nullptr)
            ::CertFreeCertificateContext(context);
    }
};

}  // namespace

ExecutableInfo::ExecutableInfo(const std::wstring& path) : m_path(path) {}

ExecutableInfo::~ExecutableInfo() {
    if (m_versionData != nullptr)
        ::GlobalUnlock(m_versionBlock);
    if (m_versionBlock != nullptr)
        ::GlobalFree(m_versionBlock);
}

bool ExecutableInfo::LoadVersionInfo() {
    if (m_loaded)
        return true;
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeW(m_path.c_str(), &handle);
    if (size == 0)
        return false;
    // A failed earlier call may have left a block of another size.
    if (m_versionData != nullptr) {
        ::GlobalUnlock(m_versionBlock);
        m_versionData = nullptr;
    }
    if (m_versionBlock != nullptr) {
        ::GlobalFree(m_versionBlock);
        m_versionBlock = nullptr;
    }
    m_versionBlock = ::GlobalAlloc(GMEM_MOVEABLE, size);
    if (m_versionBlock == nullptr)
        return false;
    m_versionData = ::GlobalLock(m_versionBlock);
    if (m_versionData == nullptr)
        return false;
    // Without the resource the block holds nothing to query.
    if (!::GetFileVersionInfoW(m_path.c_str(), 0, size, m_versionData))
        return false;

    m_translationRoots.clear();
    void* table = nullptr;
    UINT tableBytes = 0;
    if (::VerQueryValueW(m_versionData, L"\\VarFileInfo\\Translation", &table, &tableBytes) && table != nullptr) {
        const Translation* entries = static_cast<const Translation*>(table);
        for (UINT i = 0; i < tableBytes / sizeof(Translation); ++i)
            m_translationRoots.push_back(
                FormatString(L"\\StringFileInfo\\%04x%04x", entries[i].language, entries[i].codePage));
    }
    m_loaded = true;
    return true;
}

bool ExecutableInfo::GetProductVersion(uint64_t& version) {
    if (!LoadVersionInfo())
        return false;
    void* data = nullptr;
    UINT bytes = 0;
    if (!::VerQueryValueW(m_versionData, L"\\", &data, &bytes) || data == nullptr ||
        bytes < sizeof(VS_FIXEDFILEINFO))
        return false;
    const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(data);
    version = (static_cast<uint64_t>(fixed->dwProductVersionMS) << 32) | fixed->dwProductVersionLS;
    return true;
}

bool ExecutableInfo::QueryVersionString(const std::wstring& valueName, std::wstring& text) {
    if (!LoadVersionInfo())
        return false;
    for (const std::wstring& root : m_translationRoots) {
        std::wstring query = root + L'\\' + valueName;
        void* value = nullptr;
        UINT chars = 0;
        if (::VerQueryValueW(m_versionData, query.c_str(), &value, &chars) && value != nullptr && chars > 0) {
            // The length counts the terminating NUL.
            const wchar_t* characters = static_cast<const wchar_t*>(value);
            text.assign(characters, ::wcsnlen(characters, chars));
        }
    }
    return true;
}

std::wstring ExecutableInfo::GetSignerName() {
    CertStoreHolder store;
    CryptMsgHolder message;
    if (!::CryptQueryObject(CERT_QUERY_OBJECT_FILE, m_path.c_str(), CERT_QUERY_CONTENT_FLAG_ALL,
                            CERT_QUERY_FORMAT_FLAG_ALL, 0, nullptr, nullptr, nullptr, &store.store,
                            &message.message, nullptr) ||
        store.store == nullptr || message.message == nullptr)
        return m_signerName;

    DWORD signerBytes = 0;
    if (!::CryptMsgGetParam(message.message, CMSG_SIGNER_INFO_PARAM, 0, nullptr, &signerBytes) || signerBytes == 0)
        return m_signerName;
    LocalMemoryHolder signerBlock;
    signerBlock.memory = ::LocalAlloc(LPTR, signerBytes);
    if (signerBlock.memory == nullptr ||
        !::CryptMsgGetParam(message.message, CMSG_SIGNER_INFO_PARAM, 0, signerBlock.memory, &signerBytes))
        return m_signerName;
    const CMSG_SIGNER_INFO* signer = static_cast<const CMSG_SIGNER_INFO*>(signerBlock.memory);

    CERT_INFO certificateKey = {};
    certificateKey.Issuer = signer->Issuer;
    certificateKey.SerialNumber = signer->SerialNumber;
    CertContextHolder certificate;
    certificate.context = ::CertFindCertificateInStore(store.store, kSignatureEncoding, 0, CERT_FIND_SUBJECT_CERT,
                                                       &certificateKey, nullptr);
    if (certificate.context == nullptr)
        return m_signerName;

    DWORD chars = ::CertGetNameStringW(certificate.context, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
    if (chars <= 1)
        return m_signerName;
    std::wstring name(chars, L'\0');
    chars = ::CertGetNameStringW(certificate.context, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, &name[0], chars);
    if (chars <= 1)
        return m_signerName;
    name.resize(::wcsnlen(name.c_str(), chars));
    m_signerName = name;
    return m_signerName;
}

}  // namespace Tessar
