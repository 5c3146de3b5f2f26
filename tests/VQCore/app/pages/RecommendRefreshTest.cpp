// Refreshing a recommendation list from the update server on 127.0.0.1:
// "None" leaves the file, a new list replaces it whole, a list that does
// not match its MD5 leaves the old one.
#include <gtest/gtest.h>

#include <tinyxml.h>

#include "VQCore/app/pages/RecommendXmlFile.h"
#include "common/ScrambledXmlFile.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"

namespace Tessar {
namespace Test {
namespace {

bool WriteHotList(const std::wstring& path, const char* version, int id) {
    TiXmlDocument document;
    TiXmlElement* versionElement = new TiXmlElement("VERSION");
    versionElement->LinkEndChild(new TiXmlText(version));
    document.LinkEndChild(versionElement);
    TiXmlElement* hot = new TiXmlElement("HOT");
    TiXmlElement* pc = new TiXmlElement("PC");
    TiXmlElement* entry = new TiXmlElement("ID");
    entry->LinkEndChild(new TiXmlText(std::to_string(id).c_str()));
    pc->LinkEndChild(entry);
    hot->LinkEndChild(pc);
    document.LinkEndChild(hot);
    return SaveScrambledXmlFile(document, path);
}

std::string Reply(const std::string& url, const std::string& md5) {
    return "<?xml version=\"1.0\"?><FILE><DownloadUrl>" + url + "</DownloadUrl><Md5>" + md5 + "</Md5></FILE>";
}

class RecommendRefresh : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_root.MakeFolder(L"update_hot"));
        ASSERT_TRUE(WriteHotList(m_root.PathOf(L"hot-new.vqx"), "8", 1234));
        ASSERT_TRUE(m_root.WriteFile(L"update_hot\\1.xml", Reply("None", "")));
        ASSERT_TRUE(m_root.WriteFile(L"update_hot\\2.xml", Reply("noneTHELESS", "")));
        ASSERT_TRUE(m_root.WriteFile(L"update_hot\\3.xml", Reply("{base}/files/hot-new.vqx", "{md5:hot-new.vqx}")));
        ASSERT_TRUE(m_root.WriteFile(L"update_hot\\4.xml",
                                     Reply("{base}/files/hot-new.vqx", "00000000000000000000000000000000")));
        ASSERT_TRUE(m_server.Start(m_root.Path()));
        ASSERT_TRUE(WriteHotList(m_local.PathOf(L"hot.vqx"), "7", 55));
    }
    void TearDown() override { m_server.Stop(); }

    // Refreshes with reply `id`; the result and the first id the file holds then.
    bool Refresh(int id, int& firstId) {
        VQRecommendXmlFile file(m_local.PathOf(L"hot.vqx"), VQRecommendXmlFile::HotList);
        EXPECT_TRUE(file.Load());
        const bool ok = file.Refresh(m_server.Url(L"/update_hot.php?soft=1.0&id=" + std::to_wstring(id)));
        VQRecommendXmlFile after(m_local.PathOf(L"hot.vqx"), VQRecommendXmlFile::HotList);
        firstId = after.Load() && !after.GetList(0).empty() ? after.GetList(0)[0] : -1;
        return ok;
    }

    VQTempFolder m_root;
    VQTempFolder m_local;
    VQUpdateServer m_server;
};

TEST_F(RecommendRefresh, RepliesDecideTheFile) {
    const struct {
        const char* name;
        int reply;
        bool ok;
        int firstId;
    } cases[] = {{"None: current", 1, true, 55},
                 {"any case of None", 2, true, 55},
                 {"MD5 mismatch keeps the old list", 4, false, 55},
                 {"a new list replaces the file", 3, true, 1234}};
    for (const auto& c : cases) {
        int firstId = 0;
        EXPECT_EQ(c.ok, Refresh(c.reply, firstId)) << c.name;
        EXPECT_EQ(c.firstId, firstId) << c.name;
    }
    bool askedWithVersion = false;
    for (const std::string& request : m_server.Requests())
        askedWithVersion = askedWithVersion || request.find("&ver=7") != std::string::npos;
    EXPECT_TRUE(askedWithVersion) << "the list's version goes with the question";
}

TEST_F(RecommendRefresh, UnreachableServerKeepsTheList) {
    m_server.Stop();
    int firstId = 0;
    EXPECT_FALSE(Refresh(3, firstId));
    EXPECT_EQ(55, firstId);
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
