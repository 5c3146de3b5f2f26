#include "common/ExecutableInfo.h"

#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <vector>

#include "common/CodePage.h"
#include "common/PathText.h"
#include "tests/programs/versioned/VersionValues.h"
#include "tests/support/LocalServer.h"
#include "tests/support/TempFolder.h"

namespace Tessar {
namespace {

// Built by the test build from tests/programs/versioned.
std::wstring VersionedProgramPath() {
    return Test::UnixToWindowsPath(Test::BinaryDirUnix() + "/fixtures/VersionedProgram.exe");
}

class ExecutableInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp.Path().empty());
        ASSERT_TRUE(FileExists(VersionedProgramPath())) << "fixture program missing";
    }
    VQTempFolder temp;
};

TEST_F(ExecutableInfoTest, TranslationRootsFollowTheTable) {
    ExecutableInfo info(VersionedProgramPath());
    ASSERT_TRUE(info.LoadVersionInfo());
    std::vector<std::wstring> expected = {
        L"\\StringFileInfo\\" + NarrowToWide(VQ_VERSIONED_BLOCK_1),
        L"\\StringFileInfo\\" + NarrowToWide(VQ_VERSIONED_BLOCK_2),
    };
    EXPECT_EQ(expected, info.TranslationRoots());
}

TEST_F(ExecutableInfoTest, ProductVersionIsMostSignificantHalfFirst) {
    ExecutableInfo info(VersionedProgramPath());
    uint64_t version = 0;
    ASSERT_TRUE(info.GetProductVersion(version));
    uint64_t expected = (static_cast<uint64_t>(VQ_VERSIONED_PRODUCT_MAJOR) << 48) |
                        (static_cast<uint64_t>(VQ_VERSIONED_PRODUCT_MINOR) << 32) |
                        (static_cast<uint64_t>(VQ_VERSIONED_PRODUCT_BUILD) << 16) | VQ_VERSIONED_PRODUCT_REVISION;
    EXPECT_EQ(expected, version);
}

TEST_F(ExecutableInfoTest, LastTranslationHoldingAValueWins) {
    ExecutableInfo info(VersionedProgramPath());
    struct Case {
        const wchar_t* name;
        bool (ExecutableInfo::*get)(std::wstring&);
        std::wstring expected;
    } cases[] = {
        {L"CompanyName in both", &ExecutableInfo::GetCompanyName, VQ_VERSIONED_COMPANY_2},
        {L"FileDescription in both", &ExecutableInfo::GetFileDescription, VQ_VERSIONED_DESCRIPTION_2},
        {L"InternalName in the first only", &ExecutableInfo::GetInternalName, VQ_VERSIONED_INTERNAL_NAME_1},
        {L"OriginalFilename in the second only", &ExecutableInfo::GetOriginalFilename,
         VQ_VERSIONED_ORIGINAL_NAME_2},
    };
    for (const Case& c : cases) {
        std::wstring text;
        ASSERT_TRUE((info.*c.get)(text)) << c.name;
        EXPECT_EQ(c.expected, text) << c.name;
    }
}

TEST_F(ExecutableInfoTest, AbsentValueLeavesTheTextAlone) {
    ExecutableInfo info(VersionedProgramPath());
    std::wstring text = L"unchanged";
    EXPECT_TRUE(info.QueryVersionString(L"Comments", text));
    EXPECT_EQ(L"unchanged", text);
}

TEST_F(ExecutableInfoTest, BlockIsReadOnce) {
    std::wstring copy = temp.PathOf(L"copy.exe");
    ASSERT_TRUE(::CopyFileW(VersionedProgramPath().c_str(), copy.c_str(), TRUE));
    ExecutableInfo info(copy);
    ASSERT_TRUE(info.LoadVersionInfo());
    ASSERT_TRUE(::DeleteFileW(copy.c_str()));
    std::wstring text;
    ASSERT_TRUE(info.GetCompanyName(text));
    EXPECT_EQ(VQ_VERSIONED_COMPANY_2, text);
}

TEST_F(ExecutableInfoTest, FilesWithoutVersionResourceFailEveryQuery) {
    ASSERT_TRUE(temp.WriteFile(L"plain.exe", "not a program"));
    const std::wstring paths[] = {temp.PathOf(L"plain.exe"), temp.PathOf(L"missing.exe")};
    for (const std::wstring& path : paths) {
        ExecutableInfo info(path);
        EXPECT_FALSE(info.LoadVersionInfo()) << path;
        uint64_t version = 99;
        EXPECT_FALSE(info.GetProductVersion(version)) << path;
        EXPECT_EQ(99u, version) << path;
        std::wstring text = L"unchanged";
        EXPECT_FALSE(info.GetCompanyName(text)) << path;
        EXPECT_EQ(L"unchanged", text) << path;
        EXPECT_TRUE(info.GetSignerName().empty()) << path;
    }
}

TEST_F(ExecutableInfoTest, UnsignedProgramHasNoSigner) {
    ExecutableInfo info(VersionedProgramPath());
    EXPECT_TRUE(info.GetSignerName().empty());
}

// A PKCS #7 signed message made with a fresh self-signed certificate: the
// same reading path as a signed program, without a signing tool.
bool WriteSignedMessage(const std::wstring& path, const wchar_t* subjectText) {
    HCRYPTPROV provider = 0;
    if (!::CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return false;
    bool written = false;
    HCRYPTKEY key = 0;
    PCCERT_CONTEXT certificate = nullptr;
    HCRYPTMSG message = nullptr;
    do {
        if (!::CryptGenKey(provider, AT_SIGNATURE, 1024u << 16, &key))
            break;
        DWORD nameBytes = 0;
        if (!::CertStrToNameW(X509_ASN_ENCODING, subjectText, CERT_X500_NAME_STR, nullptr, nullptr, &nameBytes,
                              nullptr))
            break;
        std::vector<BYTE> name(nameBytes);
        if (!::CertStrToNameW(X509_ASN_ENCODING, subjectText, CERT_X500_NAME_STR, nullptr, name.data(), &nameBytes,
                              nullptr))
            break;
        CERT_NAME_BLOB subject = {nameBytes, name.data()};
        certificate = ::CertCreateSelfSignCertificate(provider, &subject, CERT_CREATE_SELFSIGN_NO_KEY_INFO, nullptr,
                                                      nullptr, nullptr, nullptr, nullptr);
        if (certificate == nullptr)
            break;

        CMSG_SIGNER_ENCODE_INFO signer = {};
        signer.cbSize = sizeof(signer);
        signer.pCertInfo = certificate->pCertInfo;
        signer.hCryptProv = provider;
        signer.dwKeySpec = AT_SIGNATURE;
        char sha1[] = szOID_OIWSEC_sha1;
        signer.HashAlgorithm.pszObjId = sha1;
        CERT_BLOB certificateBlob = {certificate->cbCertEncoded, certificate->pbCertEncoded};
        CMSG_SIGNED_ENCODE_INFO signed_ = {};
        signed_.cbSize = sizeof(signed_);
        signed_.cSigners = 1;
        signed_.rgSigners = &signer;
        signed_.cCertEncoded = 1;
        signed_.rgCertEncoded = &certificateBlob;
        message = ::CryptMsgOpenToEncode(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0, CMSG_SIGNED, &signed_, nullptr,
                                         nullptr);
        BYTE content[] = "signed content";
        if (message == nullptr || !::CryptMsgUpdate(message, content, sizeof(content), TRUE))
            break;
        DWORD bytes = 0;
        if (!::CryptMsgGetParam(message, CMSG_CONTENT_PARAM, 0, nullptr, &bytes))
            break;
        std::vector<BYTE> encoded(bytes);
        if (!::CryptMsgGetParam(message, CMSG_CONTENT_PARAM, 0, encoded.data(), &bytes))
            break;
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            break;
        DWORD done = 0;
        written = ::WriteFile(file, encoded.data(), bytes, &done, nullptr) && done == bytes;
        ::CloseHandle(file);
    } while (false);
    if (message != nullptr)
        ::CryptMsgClose(message);
    if (certificate != nullptr)
        ::CertFreeCertificateContext(certificate);
    if (key != 0)
        ::CryptDestroyKey(key);
    ::CryptReleaseContext(provider, 0);
    return written;
}

TEST_F(ExecutableInfoTest, SignerNameIsTheSigningCertificatesName) {
    std::wstring path = temp.PathOf(L"signed.p7s");
    ASSERT_TRUE(WriteSignedMessage(path, L"CN=\x5929\x5E73 Test Signer, O=Testing"));
    ExecutableInfo info(path);
    EXPECT_EQ(L"\x5929\x5E73 Test Signer", info.GetSignerName());
    // The version block plays no part.
    EXPECT_FALSE(info.LoadVersionInfo());
}

}  // namespace
}  // namespace Tessar
