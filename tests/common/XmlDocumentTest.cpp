#include "common/XmlDocument.h"

#include "common/PathText.h"
#include "common/XmlElement.h"
#include "tests/support/TempFolder.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace Tessar {
namespace {

size_t CountEntries(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    size_t count = 0;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            ++count;
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return count;
}

TEST(XmlDocumentTest, EmptyDocumentIsNotLoaded) {
    VQXmlDocument document;
    EXPECT_FALSE(document.IsLoaded());
    EXPECT_EQ(L"", document.GetPath());
    EXPECT_EQ(nullptr, document.FirstChild());
}

TEST(XmlDocumentTest, LoadsFromAPath) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"a.xml", "<ROOT><ID>5</ID></ROOT>"));
    VQXmlDocument document(folder.PathOf(L"a.xml"));
    EXPECT_TRUE(document.IsLoaded());
    EXPECT_EQ(folder.PathOf(L"a.xml"), document.GetPath());
    std::wstring text;
    EXPECT_TRUE(GetElementText(FindFirstElementOfChild(&document, L"ROOT"), text));
    EXPECT_EQ(L"5", text);
}

TEST(XmlDocumentTest, MissingOrBrokenFileGivesUsableEmptyDocument) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"broken.xml", "<ROOT><ID>5</ROOT>"));
    ASSERT_TRUE(folder.WriteFile(L"empty.xml", ""));
    const wchar_t* names[] = {L"missing.xml", L"broken.xml", L"empty.xml"};
    for (const wchar_t* name : names) {
        VQXmlDocument document(folder.PathOf(name));
        EXPECT_FALSE(document.IsLoaded()) << name;
        EXPECT_EQ(folder.PathOf(name), document.GetPath());
        EXPECT_NE(nullptr, AddChildElement(&document, nullptr, L"NEW")) << name;
    }
}

TEST(XmlDocumentTest, ParseTextSetsTheLoadedFlag) {
    VQXmlDocument document;
    EXPECT_TRUE(document.ParseText("<A>1</A>"));
    EXPECT_TRUE(document.IsLoaded());
    EXPECT_FALSE(document.ParseText("<A>1</B>"));
    EXPECT_FALSE(document.IsLoaded());
    EXPECT_FALSE(document.ParseText(nullptr));
    EXPECT_TRUE(document.ParseText("<B/>"));
    EXPECT_STREQ("B", document.RootElement()->Value());
    EXPECT_EQ(nullptr, document.RootElement()->NextSibling());
}

TEST(XmlDocumentTest, PrintOfEmptyDocumentIsOneZeroByte) {
    VQXmlDocument document;
    VQBuffer<char> buffer;
    ASSERT_TRUE(PrintXmlToBuffer(&document, buffer));
    ASSERT_EQ(1u, buffer.size);
    EXPECT_EQ('\0', buffer.data[0]);
    EXPECT_FALSE(PrintXmlToBuffer(nullptr, buffer));
    EXPECT_EQ(1u, buffer.size);
}

TEST(XmlDocumentTest, PrintEndsWithOneZeroByte) {
    VQXmlDocument document;
    ASSERT_TRUE(document.ParseText("<A>1</A>"));
    VQBuffer<char> buffer;
    ASSERT_TRUE(PrintXmlToBuffer(&document, buffer));
    EXPECT_EQ(std::string("<A>1</A>\n"), std::string(buffer.data));
    EXPECT_EQ(std::string(buffer.data).size() + 1, buffer.size);
}

TEST(XmlDocumentTest, ChineseNameRoundTripsThroughSaveAndLoad) {
    ASSERT_EQ(936u, ::GetACP());
    VQTempFolder folder;
    // A Chinese file name too, which the document opens by its wide path.
    const std::wstring path = folder.PathOf(L"\u6E38\u620F\u5217\u8868.xml");
    const std::wstring name = L"\u7231\u5FC3\u6E38\u620F";  // a game name
    VQXmlDocument document;
    TiXmlElement* game = AddChildElement(&document, nullptr, L"GAME");
    AddElementText(AddElement(game, L"NAME"), name);
    AddElementText(AddElement(game, L"\u540D\u79F0"), L"x");
    ASSERT_TRUE(SaveXmlDocument(document, path));

    VQXmlDocument loaded(path);
    ASSERT_TRUE(loaded.IsLoaded());
    TiXmlElement* again = FindChildElement(&loaded, L"GAME");
    std::wstring text;
    EXPECT_TRUE(GetElementText(FindChildElement(again, L"NAME"), text));
    EXPECT_EQ(name, text);
    EXPECT_TRUE(GetElementText(FindChildElement(again, L"\u540D\u79F0"), text));
    EXPECT_EQ(L"x", text);
}

TEST(XmlDocumentTest, SaveReplacesTheOldFileWhole) {
    VQTempFolder folder;
    ASSERT_TRUE(folder.WriteFile(L"s.xml", std::string(5000, 'x')));
    VQXmlDocument document;
    AddElementText(AddChildElement(&document, nullptr, L"A"), L"1");
    ASSERT_TRUE(SaveXmlDocument(document, folder.PathOf(L"s.xml")));
    // Text mode, as TinyXML writes files.
    EXPECT_EQ("<A>1</A>\r\n", folder.ReadFile(L"s.xml"));
}

TEST(XmlDocumentTest, FailedSaveLeavesNothingHalfWritten) {
    VQTempFolder folder;
    VQXmlDocument document;
    AddElementText(AddChildElement(&document, nullptr, L"A"), L"new");
    EXPECT_FALSE(SaveXmlDocument(document, folder.PathOf(L"nofolder\\s.xml")));
    EXPECT_FALSE(PathExists(folder.PathOf(L"nofolder")));

    // A target held open without sharing cannot be replaced: the save
    // fails, the old text stays and no temporary file is left behind.
    ASSERT_TRUE(folder.WriteFile(L"held.xml", "<A>old</A>"));
    HANDLE held = ::CreateFileW(folder.PathOf(L"held.xml").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_FALSE(SaveXmlDocument(document, folder.PathOf(L"held.xml")));
    ::CloseHandle(held);
    EXPECT_EQ("<A>old</A>", folder.ReadFile(L"held.xml"));
    EXPECT_EQ(1u, CountEntries(folder.Path()));
}

}  // namespace
}  // namespace Tessar
