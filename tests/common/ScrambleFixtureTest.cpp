// Reads the fixtures that vqtool scramble and unscramble made during the
// build (tests/CMakeLists.txt).
#include "common/ScrambledXmlFile.h"

#include "common/CodePage.h"
#include "common/XmlDocument.h"
#include "common/XmlElement.h"
#include "common/XmlFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace Tessar {
namespace {

class FixtureFile : public VQXmlFile {
public:
    explicit FixtureFile(const std::wstring& path) : VQXmlFile(path) {}
    bool Load() override { return LoadScrambledXmlFile(*this, m_path) == kScrambledLoaded && ParseRawText(); }
    void Close() override { DeleteDocument(); }
};

std::wstring FixturePath(const wchar_t* name) {
    const char* binary = std::getenv("VQ_BINARY_DIR");
    if (binary == nullptr)
        return std::wstring();
    // A Unix path of the build folder, reached through Wine's Z: drive.
    return L"Z:" + NarrowToWide(binary) + L"/fixtures/" + name;
}

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(WideToNarrow(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::wstring> Ids(TiXmlElement* list) {
    std::vector<std::wstring> ids;
    for (TiXmlElement* e = list != nullptr ? list->FirstChildElement() : nullptr; e; e = e->NextSiblingElement()) {
        std::wstring text;
        GetElementText(e, text);
        ids.push_back(text);
    }
    return ids;
}

TEST(ScrambleFixtureTest, ScrambledSampleLoads) {
    FixtureFile file(FixturePath(L"scramble-sample.vqx"));
    ASSERT_TRUE(file.Load());
    VQXmlDocument* document = file.GetDocument();
    std::wstring version;
    EXPECT_TRUE(GetElementText(FindChildElement(document, L"VERSION"), version));
    EXPECT_EQ(L"7", version);
    TiXmlElement* hot = FindChildElement(document, L"HOT");
    EXPECT_EQ((std::vector<std::wstring>{L"00012", L"00345"}), Ids(FindChildElement(hot, L"PC")));
    EXPECT_EQ((std::vector<std::wstring>{L"50001"}), Ids(FindChildElement(hot, L"FLASH")));
}

TEST(ScrambleFixtureTest, UnscrambledSampleIsThePlaintextWithoutPadding) {
    FixtureFile file(FixturePath(L"scramble-sample.vqx"));
    ASSERT_TRUE(file.Load());
    std::string plain = ReadAll(FixturePath(L"scramble-sample.plain.xml"));
    ASSERT_GT(plain.size(), 43u);
    EXPECT_EQ(std::string(file.RawText().data), plain);
    EXPECT_EQ(0, plain.compare(0, 5, "<MD5>"));
    EXPECT_EQ(0, plain.compare(37, 6, "</MD5>"));
}

}  // namespace
}  // namespace Tessar
