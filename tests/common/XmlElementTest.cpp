#include "common/XmlElement.h"

#include "common/XmlDocument.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace Tessar {
namespace {

VQXmlDocument Parsed(const char* text) {
    VQXmlDocument document;
    EXPECT_TRUE(document.ParseText(text)) << text;
    return document;
}

TEST(XmlElementTest, MakeWideStringTakesNull) {
    EXPECT_EQ(L"", MakeWideString(nullptr));
    EXPECT_EQ(L"abc", MakeWideString("abc"));
}

TEST(XmlElementTest, FindChildElementFindsTheFirstOfThatName) {
    VQXmlDocument document = Parsed("<ROOT><A>1</A><B>2</B><A>3</A></ROOT>");
    TiXmlElement* root = FindChildElement(&document, L"ROOT");
    ASSERT_NE(nullptr, root);
    std::wstring text;
    EXPECT_TRUE(GetElementText(FindChildElement(root, L"A"), text));
    EXPECT_EQ(L"1", text);
    EXPECT_EQ(nullptr, FindChildElement(root, L"C"));
    EXPECT_EQ(nullptr, FindChildElement(root, L"a"));  // names are exact
    EXPECT_EQ(nullptr, FindChildElement(nullptr, L"A"));
}

TEST(XmlElementTest, FindFirstElementOfChildSkipsTextAndComments) {
    VQXmlDocument document = Parsed("<ROOT><LIST>text<!-- c --><ID>7</ID><ID>8</ID></LIST><EMPTY>x</EMPTY></ROOT>");
    TiXmlElement* root = FindChildElement(&document, L"ROOT");
    TiXmlElement* first = FindFirstElementOfChild(root, L"LIST");
    ASSERT_NE(nullptr, first);
    std::wstring text;
    EXPECT_TRUE(GetElementText(first, text));
    EXPECT_EQ(L"7", text);
    EXPECT_EQ(nullptr, FindFirstElementOfChild(root, L"EMPTY"));
    EXPECT_EQ(nullptr, FindFirstElementOfChild(root, L"MISSING"));
}

TEST(XmlElementTest, GetElementTextNeedsATextFirst) {
    struct Case {
        const char* xml;
        bool found;
        const wchar_t* text;
    };
    const Case cases[] = {
        {"<E>value</E>", true, L"value"},
        {"<E><C/>after</E>", false, L""},
        {"<E></E>", false, L""},
        {"<E>a &amp; b</E>", true, L"a & b"},
    };
    for (const Case& c : cases) {
        VQXmlDocument document = Parsed(c.xml);
        std::wstring text = L"old";
        EXPECT_EQ(c.found, GetElementText(document.RootElement(), text)) << c.xml;
        EXPECT_EQ(std::wstring(c.text), text) << c.xml;
    }
    std::wstring text = L"old";
    EXPECT_FALSE(GetElementText(nullptr, text));
    EXPECT_EQ(L"", text);
}

TEST(XmlElementTest, AddingBuildsTheTreeInOrder) {
    VQXmlDocument document;
    TiXmlElement* top = AddChildElement(&document, nullptr, L"DATABASE");
    TiXmlElement* second = AddChildElement(&document, nullptr, L"VERSION");
    ASSERT_NE(nullptr, top);
    ASSERT_NE(nullptr, second);
    TiXmlElement* game = AddChildElement(&document, top, L"GAME");
    AddElementText(AddElement(game, L"ID"), L"00001");
    AddElementText(AddElement(game, L"NAME"), L"x < y");
    AddElementText(nullptr, L"ignored");
    EXPECT_EQ(nullptr, AddElement(nullptr, L"X"));

    VQBuffer<char> printed;
    ASSERT_TRUE(PrintXmlToBuffer(&document, printed));
    EXPECT_EQ(std::string("<DATABASE>\n    <GAME>\n        <ID>00001</ID>\n        <NAME>x &lt; y</NAME>\n"
                          "    </GAME>\n</DATABASE>\n<VERSION />\n"),
              std::string(printed.data));
}

TEST(XmlElementTest, ChineseNamesAndTextsCrossTheCodePage) {
    ASSERT_EQ(936u, ::GetACP());
    const std::wstring name = L"\u6E38\u620F";             // "game"
    const std::wstring value = L"\u4E2D\u6587\u540D abc";  // "Chinese name abc"
    VQXmlDocument document;
    AddElementText(AddChildElement(&document, nullptr, name), value);
    VQBuffer<char> printed;
    ASSERT_TRUE(PrintXmlToBuffer(&document, printed));

    VQXmlDocument again;
    ASSERT_TRUE(again.ParseText(printed.data));
    std::wstring text;
    EXPECT_TRUE(GetElementText(FindChildElement(&again, name), text));
    EXPECT_EQ(value, text);
    EXPECT_EQ(name, MakeWideString(again.RootElement()->Value()));
}

TEST(XmlElementTest, UnrepresentableCharactersBecomeUnderscore) {
    VQXmlDocument document;
    AddElementText(AddChildElement(&document, nullptr, L"E"), L"a\u0E01b");  // a Thai letter
    std::wstring text;
    EXPECT_TRUE(GetElementText(document.RootElement(), text));
    EXPECT_EQ(L"a_b", text);
}

}  // namespace
}  // namespace Tessar
