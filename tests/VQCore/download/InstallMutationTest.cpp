// Damaged packages: from valid packages, registry files and task scripts a
// fixed-seed generator makes thousands of variants (flipped bytes, cut
// files, huge lengths, hostile names and lines). Each is opened, installed
// and uninstalled in a scratch folder, with every registry root sent to a
// scratch key tree (a seam: RegOverridePredefKey). Nothing may crash or
// hang, nothing may appear outside the scratch folder or key tree, a
// reported success must be a whole install, and a failure must leave
// nothing behind.
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/PackageMeta.h"
#include "VQCore/download/PackageWriter.h"
#include "VQCore/download/SfxInstall.h"
#include "VQCore/download/UninstallRecord.h"
#include "common/CodePage.h"
#include "common/FileFinder.h"
#include "common/FileUtil.h"
#include "common/PathText.h"
#include "tests/VQCore/download/InstallTestUtil.h"
#include "tests/VQCore/download/PackageTestUtil.h"
#include "tests/VQCore/download/RegTestUtil.h"
#include "tests/support/RegistrySnapshot.h"
#include "tests/support/ScratchRegistryKey.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

namespace Tessar {
namespace {

// Seven kinds of damage, 300 variants each: about 40 s under Wine.
const int kVariants = 2100;
const uint32_t kSeed = 20090615;

// Every registry root goes to a key below the scratch tree while it lives.
class VQRegistryRootsRedirect {
public:
    VQRegistryRootsRedirect(HKEY scratch) {
        const struct {
            HKEY root;
            const wchar_t* name;
        } roots[] = {{HKEY_CLASSES_ROOT, L"HKCR"},   {HKEY_CURRENT_USER, L"HKCU"},
                     {HKEY_LOCAL_MACHINE, L"HKLM"},  {HKEY_USERS, L"HKU"},
                     {HKEY_PERFORMANCE_DATA, L"HKPD"}, {HKEY_CURRENT_CONFIG, L"HKCC"},
                     {HKEY_DYN_DATA, L"HKDD"}};
        for (const auto& root : roots) {
            HKEY key = nullptr;
            if (::RegCreateKeyExW(scratch, root.name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
                ERROR_SUCCESS)
                continue;
            if (::RegOverridePredefKey(root.root, key) == ERROR_SUCCESS)
                m_roots.push_back(root.root);
            ::RegCloseKey(key);
        }
    }
    ~VQRegistryRootsRedirect() {
        for (HKEY root : m_roots)
            ::RegOverridePredefKey(root, nullptr);
    }
    size_t Count() const { return m_roots.size(); }

private:
    std::vector<HKEY> m_roots;
};

struct VQBaseTexts {
    std::string reg;       // UTF-16
    std::string ansiReg;   // code page 936, LF line ends
    std::string tasks;
};

VQBaseTexts BaseTexts() {
    VQBaseTexts texts;
    texts.reg = RegTest::RegFileBytes(
        L"Windows Registry Editor Version 5.00\r\n\r\n"
        L"[HKEY_CURRENT_USER\\Software\\Fuzz\\Game]\r\n"
        L"\"Path\"=\"##install##\\\\game.exe\"\r\n"
        L"\"Count\"=dword:00000010\r\n"
        L"\"Big\"=hex(b):01,02,03,04,05,06,07,08\r\n"
        L"\"Bytes\"=hex:01,02,\\\r\n  03,04\r\n"
        L"[HKEY_LOCAL_MACHINE\\Software\\Fuzz]\r\n"
        L"@=\"default\"\r\n"
        L"[-HKEY_CURRENT_USER\\Software\\Fuzz\\Existing\\Child]\r\n"
        L"[HKEY_CURRENT_USER\\Software\\Fuzz\\Existing]\r\n"
        L"\"Keep\"=-\r\n",
        RegTest::Encoding::kUtf16);
    texts.ansiReg = RegTest::RegFileBytes(L"REGEDIT4\n\n[HKEY_CLASSES_ROOT\\.fuzz]\n@=\"FuzzFile\"\n"
                                          L"[HKEY_CURRENT_USER\\Software\\Fuzz\\中文]\n\"名字\"=\"值\"\n",
                                          RegTest::Encoding::kAnsi936);
    texts.tasks =
        "ini WriteINIStr ##install##\\game.ini main started 1\r\n"
        "ini WriteINIStr \"##install##\\data\\my game.ini\" \"a section\" key \"a value\"\r\n"
        "ini DeleteINIStr ##install##\\game.ini main none\r\n"
        "ini DeleteINISec ##install##\\game.ini gone\r\n";
    return texts;
}

std::string Noise(std::mt19937& random, size_t size) {
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random() & 0xFF);
    return bytes;
}

// The tree of the base package, with one node's name replaced when
// renameAt names its place in table order.
void BuildBase(VQTocNode& root, const VQBaseTexts& texts, uint16_t converter, int renameAt,
               const std::wstring& newName) {
    std::mt19937 random(7);
    AddBytesEntry(root, kMetaEntryName, kTocInline,
                  EncodePackageMeta({{kMetaFolder, L"Fuzz"}, {kMetaExe, L"##install##\\game.exe"}, {kMetaArgs, L"-x"}}),
                  kConverterStored);
    AddBytesEntry(root, L"##reg##.reg", kTocFile, texts.reg, kConverterStored);
    AddBytesEntry(root, L"game.exe", kTocFile, std::string(3000, 'g'), converter);
    boost::shared_ptr<VQTocNode> data = AddFolderEntry(root, L"data");
    AddBytesEntry(*data, L"level1.txt", kTocFile, "level one\r\n", converter);
    AddBytesEntry(*data, L"noise.bin", kTocFile, Noise(random, 20000), converter);
    boost::shared_ptr<VQTocNode> sub = AddFolderEntry(*data, L"sub");
    AddBytesEntry(*sub, L"##reg##.reg", kTocFile, texts.ansiReg, kConverterStored);
    AddBytesEntry(*sub, L"empty.txt", kTocFile, "", converter);
    AddBytesEntry(root, L"##tasks##.txt", kTocFile, texts.tasks, kConverterStored);
    AddBytesEntry(*AddFolderEntry(root, L"##my_desktop##"), L"Fuzz.txt", kTocFile, "desk", converter);
    AddBytesEntry(root, L"blob", kTocData, "in memory", converter);
    if (renameAt < 0)
        return;
    int at = 0;
    std::vector<VQTocNode*> pending = {&root};
    while (!pending.empty()) {
        VQTocNode* node = pending.back();
        pending.pop_back();
        for (size_t i = node->children.size(); i-- > 0;)
            pending.push_back(node->children[i].get());
        if (node != &root && at++ == renameAt)
            node->name = newName;
    }
}

class InstallMutationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_scratchKey.IsValid());
        ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, m_scratchKey.Path().c_str(), 0, KEY_ALL_ACCESS,
                                                 &m_scratchHandle));
        ASSERT_TRUE(m_folder.MakeFolder(L"outside"));
        ASSERT_TRUE(m_folder.MakeFolder(L"cwd"));
        m_oldFolder = GetCurrentFolder();
        // Relative paths would land here.
        ASSERT_TRUE(::SetCurrentDirectoryW(m_folder.PathOf(L"cwd").c_str()));
    }
    void TearDown() override {
        ::SetCurrentDirectoryW(m_oldFolder.c_str());
        if (m_scratchHandle != nullptr)
            ::RegCloseKey(m_scratchHandle);
    }

    void RunVariants(const VQBaseTexts& texts, const std::vector<std::string>& bases,
                     const std::vector<std::wstring>& hostileNames, const std::vector<std::wstring>& hostileRegLines,
                     const std::vector<std::string>& hostileTaskLines);

    std::string Package(VQTocNode& root) {
        std::wstring path = m_folder.PathOf(L"build.vqz");
        EXPECT_TRUE(WritePackage(root, path));
        return ReadBytes(path);
    }

    VQTempFolder m_folder;
    VQScratchRegistryKey m_scratchKey;
    HKEY m_scratchHandle = nullptr;
    std::wstring m_oldFolder;
};

// Names the scratch folder may hold between variants.
bool IsScratchEntry(const std::wstring& name) {
    return name == L"outside" || name == L"cwd" || name == L"Games" || name == L"special" || name == L"v.vqz" ||
           name == L"build.vqz";
}

TEST_F(InstallMutationTest, DamagedPackagesNeverEscapeAndNeverPassForInstalled) {
    // The real trees the registry files name; they must stay untouched.
    ASSERT_TRUE(SnapshotRegistryTree(HKEY_CURRENT_USER, L"Software\\Fuzz").empty());
    ASSERT_TRUE(SnapshotRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\Fuzz").empty());
    const VQBaseTexts texts = BaseTexts();
    std::vector<std::string> bases;
    for (uint16_t converter : {kConverterZip, kConverterStored}) {
        VQTocNode root(nullptr, kTocFolder);
        BuildBase(root, texts, converter, -1, L"");
        bases.push_back(Package(root));
    }
    bases.push_back(ReadBytes(FixturePath(L"game.vqz")));
    bases.push_back(ReadBytes(FixturePath(L"game-stored.vqz")));
    for (const std::string& base : bases)
        ASSERT_GT(base.size(), 100u);

    const std::wstring outside = m_folder.PathOf(L"outside");
    const std::vector<std::wstring> hostileNames = {
        L"..", L".", L"..\\..\\outside\\evil.txt", outside + L"\\evil.txt", L"C:evil", L"\\evil", L"\\\\?\\C:\\evil",
        L"CON", L"nul.txt", L"COM1", L"a/b", L"evil:stream", L"", L"evil.", L"evil ", std::wstring(300, L'x'),
        L"##install##", L"##my_desktop##", L"##windows##", L"##..##", L"##reg##.reg", L"##tasks##.txt",
        L"x\\..\\..\\evil", L"##system_driver##"};
    const std::vector<std::wstring> hostileRegLines = {
        L"[HKEY_CLASSES_ROOT\\Fuzz]\r\n\"a\"=\"b\"\r\n",
        L"[-HKEY_CURRENT_USER\\Software\\Fuzz\\Existing]\r\n",
        L"[HKEY_LOCAL_MACHINE]\r\n\"rootvalue\"=\"x\"\r\n",
        L"[HKEY_USERS\\.DEFAULT\\Fuzz]\r\n\"a\"=hex(b):01,02\r\n",
        L"[NOT_A_ROOT\\x]\r\n\"a\"=\"b\"\r\n",
        L"[HKEY_CURRENT_USER\\..\\..\\x]\r\n\"a\"=\"b\"\r\n",
        L"[HKEY_CURRENT_USER\\Software\\Fuzz\\##install##]\r\n\"##install##\"=\"##install##\"\r\n",
        L"\"orphan\"=\"x\"\r\n",
        L"[HKEY_CURRENT_CONFIG\\Fuzz]\r\n\"t\"=hex(7):61,00,00,00,00,00\r\n\"e\"=hex(2):25,00\r\n",
        L"[HKEY_PERFORMANCE_DATA\\Fuzz]\r\n\"a\"=\"b\"\r\n",
        L"[HKEY_DYN_DATA\\Fuzz]\r\n\"a\"=\"b\"\r\n",
        L"[-HKEY_CURRENT_USER]\r\n",
        L"[HKEY_CURRENT_USER\\Software\\Fuzz]\r\n\"v\"=hex:" + std::wstring(3000, L'f') + L"\r\n",
    };
    const std::vector<std::string> hostileTaskLines = {
        "ini WriteINIStr C:\\evil.ini s k v",
        "ini WriteINIStr ..\\..\\..\\outside\\evil.ini s k v",
        "ini WriteINIStr \"" + WideToUtf8(outside) + "\\evil.ini\" s k v",
        "ini WriteINIStr evil.ini s k v",
        "ini DeleteINISec ##windows##\\win.ini boot",
        "ini WriteINIStr \"##install##\\a b.ini\" s",
        "ini",
        "ini WriteINIStr ##install##\\..\\..\\..\\evil.ini s k v",
        "ini WriteINIStr \\\\server\\share\\evil.ini s k v",
        "ini WriteINIStr ##my_desktop##\\..\\..\\..\\outside\\evil.ini s k v",
        "\xFF\xFE",
        std::string(2000, '#'),
    };

    RunVariants(texts, bases, hostileNames, hostileRegLines, hostileTaskLines);
    EXPECT_TRUE(SnapshotRegistryTree(HKEY_CURRENT_USER, L"Software\\Fuzz").empty());
    EXPECT_TRUE(SnapshotRegistryTree(HKEY_LOCAL_MACHINE, L"Software\\Fuzz").empty());
}

void InstallMutationTest::RunVariants(const VQBaseTexts& texts, const std::vector<std::string>& bases,
                                      const std::vector<std::wstring>& hostileNames,
                                      const std::vector<std::wstring>& hostileRegLines,
                                      const std::vector<std::string>& hostileTaskLines) {
    const std::wstring outside = m_folder.PathOf(L"outside");
    VQScratchMacroFolders special(m_folder.PathOf(L"special"));
    VQRegistryRootsRedirect redirect(m_scratchHandle);
    ASSERT_EQ(7u, redirect.Count());
    // Keys a registry file may delete, so that their undo is checked too.
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Fuzz\\Existing\\Child", 0, nullptr,
                                                   0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key, L"Keep", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"k"), 4));
        ::RegCloseKey(key);
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Fuzz\\Existing", 0, nullptr, 0,
                                                   KEY_ALL_ACCESS, nullptr, &key, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key, L"Keep", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"k"), 4));
        ::RegCloseKey(key);
    }
    const std::map<std::string, std::string> registryBefore = SnapshotRegistryTree(m_scratchHandle, L"");

    // The unchanged packages install and uninstall cleanly.
    for (size_t i = 0; i < bases.size(); ++i) {
        ASSERT_TRUE(WriteBytes(m_folder.PathOf(L"v.vqz"), bases[i]));
        VQSfxInstall install(m_folder.PathOf(L"v.vqz"));
        ASSERT_TRUE(install.Open()) << i;
        ASSERT_TRUE(install.Extract(m_folder.PathOf(L"Games"))) << i;
        ASSERT_TRUE(UninstallFromData(install.GetInstallFolder() + L"\\VQUnistall.dat", install.GetUninstallDigest())) << i;
        EXPECT_EQ(registryBefore, SnapshotRegistryTree(m_scratchHandle, L"")) << i;
        DeleteFolderTree(m_folder.PathOf(L"Games"));
        DeleteFolderTree(m_folder.PathOf(L"special"));
    }

    std::mt19937 random(kSeed);
    auto pick = [&random](size_t count) { return static_cast<size_t>(random() % count); };
    const std::wstring games = m_folder.PathOf(L"Games");
    const std::wstring packagePath = m_folder.PathOf(L"v.vqz");
    int installed = 0;
    int failed = 0;
    double slowest = 0;
    const auto started = std::chrono::steady_clock::now();
    for (int variant = 0; variant < kVariants; ++variant) {
        std::string bytes;
        std::string what;
        const int kind = variant % 7;
        if (kind <= 3) {
            bytes = bases[pick(bases.size())];
            if (kind == 0 || kind == 1) {
                // Flips anywhere, or in the header and table.
                size_t span = kind == 0 ? bytes.size() : std::min<size_t>(bytes.size(), 1500);
                for (size_t flips = 1 + pick(8); flips > 0; --flips)
                    bytes[pick(span)] ^= static_cast<char>(1 + pick(255));
                what = "flips";
            } else if (kind == 2) {
                bytes.resize(pick(bytes.size()));
                what = "cut";
            } else {
                const uint64_t huge[] = {0xFFFFFFFFull, 0x80000000ull, 0x7FFFFFFFFFFFFFFFull, 0x100000000ull,
                                         0xFFFFFFFFFFFFFFFFull, bytes.size() + 1};
                size_t offset = 4 + pick(std::min<size_t>(bytes.size(), 1500) - 12);
                PatchU64(bytes, offset, huge[pick(6)]);
                what = "huge value";
            }
        } else {
            VQBaseTexts mutated = texts;
            int renameAt = -1;
            std::wstring newName;
            if (kind == 4) {
                renameAt = static_cast<int>(pick(13));
                newName = hostileNames[pick(hostileNames.size())];
                what = "hostile name";
            } else if (kind == 5) {
                std::string& target = pick(2) == 0 ? mutated.reg : mutated.ansiReg;
                if (pick(2) == 0) {
                    std::wstring line = hostileRegLines[pick(hostileRegLines.size())];
                    std::string encoded = &target == &mutated.reg
                                              ? RegTest::RegFileBytes(line, RegTest::Encoding::kUtf16).substr(2)
                                              : RegTest::RegFileBytes(line, RegTest::Encoding::kAnsi936);
                    size_t at = target.size() / 2 * 2;  // at the end, keeping UTF-16 aligned
                    target.insert(at, encoded);
                    what = "hostile registry line";
                } else {
                    for (size_t flips = 1 + pick(4); flips > 0; --flips)
                        target[pick(target.size())] ^= static_cast<char>(1 + pick(255));
                    if (pick(4) == 0)
                        target.resize(pick(target.size()));
                    what = "damaged registry file";
                }
            } else {
                if (pick(2) == 0) {
                    mutated.tasks += hostileTaskLines[pick(hostileTaskLines.size())] + "\r\n";
                    what = "hostile task line";
                } else {
                    for (size_t flips = 1 + pick(4); flips > 0; --flips)
                        mutated.tasks[pick(mutated.tasks.size())] ^= static_cast<char>(1 + pick(255));
                    what = "damaged task script";
                }
            }
            VQTocNode root(nullptr, kTocFolder);
            BuildBase(root, mutated, kind == 6 ? kConverterStored : kConverterZip, renameAt, newName);
            ASSERT_TRUE(WritePackage(root, packagePath));
        }
        SCOPED_TRACE("variant " + std::to_string(variant) + ": " + what);
        if (kind <= 3) {
            ASSERT_TRUE(WriteBytes(packagePath, bytes));
        }

        const auto variantStart = std::chrono::steady_clock::now();
        bool ok = false;
        {
            VQSfxInstall install(packagePath);
            ok = install.Open() && install.Extract(games);
            if (ok) {
                ++installed;
                // A reported success is a whole install.
                const std::wstring folder = install.GetInstallFolder();
                ASSERT_TRUE(FileExists(folder + L"\\VQUnistall.dat"));
                std::vector<const VQTocNode*> nodes = {&install.GetRoot()};
                while (!nodes.empty()) {
                    const VQTocNode* node = nodes.back();
                    nodes.pop_back();
                    for (const boost::shared_ptr<VQTocNode>& child : node->children)
                        nodes.push_back(child.get());
                    if (node->type == kTocFile && node->name != L"##reg##.reg" && node->name != L"##tasks##.txt") {
                        EXPECT_EQ(node->unpackedSize, ReadBytes(node->fullPath).size()) << WideToUtf8(node->fullPath);
                    }
                    if (node->type == kTocFolder && node != &install.GetRoot()) {
                        EXPECT_TRUE(FolderExists(node->fullPath)) << WideToUtf8(node->fullPath);
                    }
                }
                EXPECT_TRUE(UninstallFromData(folder + L"\\VQUnistall.dat", install.GetUninstallDigest()));
                EXPECT_FALSE(PathExists(folder));
            } else {
                ++failed;
                // A failure leaves nothing of the install behind.
                EXPECT_FALSE(PathExists(games));
            }
        }
        slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - variantStart).count());

        EXPECT_EQ("", DescribeTree(outside));
        EXPECT_EQ("", DescribeTree(m_folder.PathOf(L"cwd")));
        FindFileIterator finder;
        FindFileEntry entry;
        for (bool found = finder.First(m_folder.PathOf(L"*"), entry); found; found = finder.Next(entry)) {
            if (!entry.IsDots()) {
                EXPECT_TRUE(IsScratchEntry(entry.name)) << WideToUtf8(entry.name);
            }
        }
        finder.Close();
        EXPECT_EQ(registryBefore, SnapshotRegistryTree(m_scratchHandle, L""));
        if (::testing::Test::HasFailure())
            break;
        DeleteFolderTree(games);
        DeleteFolderTree(m_folder.PathOf(L"special"));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%d variants: %d installed, %d failed, %.1f s, slowest %.2f s\n", kVariants, installed, failed,
                seconds, slowest);
    EXPECT_GT(installed, kVariants / 4);
    EXPECT_GT(failed, kVariants / 4);
    EXPECT_LT(slowest, 10.0);
}

}  // namespace
}  // namespace Tessar
