// The catalogue's two readers: wherever the plain reader reads a text, it
// must give exactly the calls of TinyXML's tree of that text, and TinyXML
// must have parsed it without an error; the forms it does not know are
// declined, never misread. Checked on a table of forms and on thousands of
// random damages of a small catalogue.
#include "VQCore/gamelib/CatalogueText.h"

#include "VQCore/gamelib/DatabaseXmlFile.h"
#include "common/Buffer.h"
#include "common/ScrambledXmlFile.h"
#include "common/XmlDocument.h"
#include "tests/support/TempFolder.h"

#include <tinyxml.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace Tessar {
namespace {

// Every call as one line, in the order made; the head texts apart, since
// the tree gives them first and the plain reader where they stand.
struct CallLog : ICatalogueTextSink {
    std::vector<std::string> heads;
    std::vector<std::string> entries;
    void OnHeadText(const char* element, const char* text) override {
        heads.push_back(std::string(element) + "=" + text);
    }
    void OnEntryStart() override { entries.push_back("{"); }
    void OnField(const char* name, const char* text) override {
        entries.push_back(std::string(name) + "=" + text);
    }
    void OnEntryEnd() override { entries.push_back("}"); }
};

struct Reading {
    bool treeParsed = false;
    bool plainRead = false;
    CallLog tree;
    CallLog plain;
};

Reading ReadBoth(const std::string& text) {
    Reading reading;
    TiXmlDocument document;
    document.Parse(text.c_str());
    reading.treeParsed = !document.Error();
    if (reading.treeParsed)
        ReadCatalogueTree(document, reading.tree);
    reading.plainRead = ReadPlainCatalogue(text.c_str(), reading.plain);
    return reading;
}

// Read by the plain reader only when TinyXML parsed it and the calls agree.
::testing::AssertionResult NeverMisread(const std::string& text) {
    Reading reading = ReadBoth(text);
    if (!reading.plainRead)
        return ::testing::AssertionSuccess();
    if (!reading.treeParsed)
        return ::testing::AssertionFailure() << "read a text TinyXML refuses: " << text;
    std::sort(reading.plain.heads.begin(), reading.plain.heads.end());
    std::sort(reading.tree.heads.begin(), reading.tree.heads.end());
    if (reading.plain.heads != reading.tree.heads || reading.plain.entries != reading.tree.entries)
        return ::testing::AssertionFailure() << "calls differ from the tree's for: " << text;
    return ::testing::AssertionSuccess();
}

const char kCatalogue[] =
    "<MD5>0123456789ABCDEF0123456789ABCDEF</MD5>\n"
    "<VERSION>2024.05</VERSION>\n"
    "<DATABASE>\n"
    "    <GAME>\n"
    "        <ID>00042</ID>\n"
    "        <GameName>  Pal \t\r\n  Legend  </GameName>\n"
    "        <Home>http://a.example/?x=1&amp;y=&lt;2&gt;&quot;&apos;</Home>\n"
    "        <Md5/>\n"
    "        <Size >123</Size >\n"
    "    </GAME>\n"
    "    <GAME><ID>7</ID><Publish>1</Publish><Type></Type></GAME>\n"
    "</DATABASE>\n";

TEST(CatalogueTextTest, PlainFormsAreReadAsTheTreeReadsThem) {
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"a catalogue", kCatalogue},
        {"the head after the games", "<DATABASE><G><ID>1</ID></G></DATABASE><VERSION>v</VERSION><MD5>m</MD5>"},
        {"second heads and databases ignored",
         "<VERSION>a</VERSION><VERSION>b</VERSION><DATABASE/><DATABASE><G><ID>1</ID></G></DATABASE>"},
        {"a head whose first child is an element", "<VERSION><x>1</x>2</VERSION><MD5></MD5>"},
        {"fields holding elements", "<DATABASE><G><A>t<b>u</b>v</A><B><b/>w</B><C><b><c>x</c></b></C></G></DATABASE>"},
        {"text beside entries and fields", "<DATABASE> loose <G> also <ID>1</ID> here </G> text </DATABASE>"},
        {"names TinyXML allows", "<DATABASE><_g.1-x:y><F_1>t</F_1></_g.1-x:y></DATABASE>"},
        {"names of high bytes", "<DATABASE><G><\xC3\xFB\xB3\xC6>\xD3\xCE\xCF\xB7</\xC3\xFB\xB3\xC6></G></DATABASE>"},
        {"an empty database", "<DATABASE></DATABASE>"},
    };
    for (const Case& c : cases) {
        Reading reading = ReadBoth(c.text);
        EXPECT_TRUE(reading.plainRead) << c.name;
        EXPECT_TRUE(NeverMisread(c.text)) << c.name;
    }
    Reading catalogue = ReadBoth(kCatalogue);
    const std::vector<std::string> entries = {
        "{", "ID=00042", "GameName=Pal Legend", "Home=http://a.example/?x=1&y=<2>\"'", "Size=123", "}",
        "{", "ID=7", "Publish=1", "}",
    };
    EXPECT_EQ(entries, catalogue.plain.entries);
    EXPECT_EQ((std::vector<std::string>{"MD5=0123456789ABCDEF0123456789ABCDEF", "VERSION=2024.05"}),
              catalogue.plain.heads);
}

TEST(CatalogueTextTest, FormsOutsideThePlainOneAreDeclined) {
    std::string nested = "<DATABASE><G><F>";
    for (int i = 0; i < 40; ++i)
        nested += "<a>";
    for (int i = 0; i < 40; ++i)
        nested += "</a>";
    nested += "</F></G></DATABASE>";
    const char* const texts[] = {
        "<?xml version=\"1.0\"?><DATABASE/>",
        "\xEF\xBB\xBF<DATABASE/>",
        "<!-- c --><DATABASE/>",
        "<DATABASE><G><F><![CDATA[x]]></F></G></DATABASE>",
        "<DATABASE><G><F a=\"1\">x</F></G></DATABASE>",
        "<DATABASE><G><F>&#65;</F></G></DATABASE>",
        "<DATABASE><G><F>a & b</F></G></DATABASE>",
        "<DATABASE><G><F>x</G></F></DATABASE>",
        "<DATABASE><G><F>x",
        "<DATABASE/> trailing text",
        "",
        "   ",
        nested.c_str(),
    };
    for (const char* text : texts) {
        Reading reading = ReadBoth(text);
        EXPECT_FALSE(reading.plainRead) << text;
    }
}

TEST(CatalogueTextTest, RandomDamageIsNeverMisread) {
    const char* const pieces[] = {"<", ">", "/", "</", "/>", "<a>", "</a>", "<b/>", "&", "&amp;", "&lt;", "&#65;",
                                  "&x;", " ", "\n", "\t", "\r", "\v", "\xA0", "\x85", "\xEF\xBB\xBF", "<!-- c -->",
                                  "<![CDATA[x]]>", "<?xml version=\"1.0\"?>", " a=\"1\"", "_", "-", ":", "GAME",
                                  "DATABASE", "</DATABASE>", "<DATABASE>", "MD5", "VERSION", "</GAME>", "x"};
    std::mt19937 random(20261211);
    size_t plainRead = 0;
    size_t declined = 0;
    const std::string base = kCatalogue;
    for (int round = 0; round < 4000; ++round) {
        std::string text = base;
        const int damages = 1 + static_cast<int>(random() % 3);
        for (int d = 0; d < damages; ++d) {
            const size_t at = random() % (text.size() + 1);
            switch (random() % 3) {
            case 0:
                text.erase(at, 1 + random() % 3);
                break;
            case 1:
                text.insert(at, pieces[random() % (sizeof(pieces) / sizeof(pieces[0]))]);
                break;
            default:
                if (at < text.size())
                    text[at] = static_cast<char>(random() % 256 == 0 ? 'x' : random() % 255 + 1);
                break;
            }
        }
        ASSERT_TRUE(NeverMisread(text)) << "round " << round;
        (ReadBoth(text).plainRead ? plainRead : declined) += 1;
    }
    // Both roads were taken often enough for the check to mean something.
    EXPECT_GT(plainRead, 400u);
    EXPECT_GT(declined, 400u);
}

// A catalogue outside the plain form loads through TinyXML into the same
// records: saved again, the two give the same file.
TEST(CatalogueTextTest, BothRoadsLoadTheSameRecords) {
    VQTempFolder folder;
    const std::string declined = std::string("<!-- from the server -->\n") + kCatalogue;
    std::vector<std::string> saved;
    for (const std::string& text : {std::string(kCatalogue), declined}) {
        TiXmlDocument document;
        document.Parse(text.c_str());
        ASSERT_FALSE(document.Error());
        const std::wstring path = folder.Path() + L"\\database.vqx";
        ASSERT_TRUE(SaveScrambledXmlFile(document, path));
        VQDatabaseXmlFile file(path);
        ASSERT_TRUE(file.Load());
        EXPECT_EQ(L"2024.05", file.GetVersion());
        ASSERT_NE(nullptr, file.FindById(42));
        EXPECT_EQ(L"Pal Legend", file.FindById(42)->GameName);
        ASSERT_TRUE(file.Save());
        VQBuffer<char> plain;
        ASSERT_EQ(kScrambledLoaded, ReadScrambledFile(path, plain));
        saved.emplace_back(plain.data, plain.size);
    }
    EXPECT_EQ(saved[0], saved[1]);
}

}  // namespace
}  // namespace Tessar
