// Game pictures from the update server on 127.0.0.1: one game's picture
// checked against its MD5, and a package of pictures unpacked into the
// picture folder.
#include <gtest/gtest.h>

#include <map>

#include "VQCore/app/jobs/IconFetch.h"
#include "VQCore/download/GamePackageWriter.h"
#include "VQCore/gamelib/AppFolder.h"
#include "VQCore/gamelib/AppPaths.h"
#include "common/PathText.h"
#include "common/ServerAddresses.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UpdateServer.h"

namespace Tessar {
namespace Test {
namespace {

std::string Reply(const std::string& url, const std::string& md5) {
    return "<?xml version=\"1.0\"?><FILE><DownloadUrl>" + url + "</DownloadUrl><Md5>" + md5 + "</Md5></FILE>";
}

class IconFetch : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppFolderOverride(m_program.Path());
        ASSERT_TRUE(m_root.WriteFile(L"pictures\\a.bin", "picture of game seven"));
        ASSERT_TRUE(m_root.WriteFile(L"update_icon\\00007.xml", Reply("{base}/files/pictures/a.bin", "{md5:pictures/a.bin}")));
        ASSERT_TRUE(m_root.WriteFile(L"update_icon\\00008.xml", Reply("{base}/files/pictures/a.bin", "")));
        ASSERT_TRUE(m_root.WriteFile(L"update_icon\\00009.xml",
                                     Reply("{base}/files/pictures/a.bin", "0123456789ABCDEF0123456789ABCDEF")));
        ASSERT_TRUE(m_root.WriteFile(L"update_icon\\00010.xml", Reply("{base}/files/pictures/missing.bin", "")));
        ASSERT_TRUE(m_server.Start(m_root.Path()));
        ASSERT_TRUE(SetServerAddress(kUpdateServer, m_server.Url(L"")));
    }
    void TearDown() override {
        m_server.Stop();
        SetAppFolderOverride(L"");
    }

    // A package of pictures named name -> bytes, served as update_icon.php?id=CODE.
    void ServePackage(const std::wstring& code, const std::map<std::wstring, std::string>& files) {
        std::vector<VQGamePackSource> sources;
        for (const auto& file : files) {
            VQGamePackSource source;
            source.item.type = kGameItemFile;
            ASSERT_TRUE(SetGamePackageItemPath(source.item, file.first));
            source.bytes = file.second;
            sources.push_back(source);
        }
        ASSERT_TRUE(WriteGamePackage(sources, m_root.PathOf(L"pictures\\" + code + L".vqz")));
        const std::string name(code.begin(), code.end());
        ASSERT_TRUE(m_root.WriteFile(L"update_icon\\" + code + L".xml",
                                     Reply("{base}/files/pictures/" + name + ".vqz", "{md5:pictures/" + name + ".vqz}")));
    }

    VQTempFolder m_program;
    VQTempFolder m_root;
    VQTempFolder m_work;
    VQUpdateServer m_server;
};

TEST_F(IconFetch, SinglePictureIsKeptOnlyWhenItsMd5Matches) {
    const struct {
        const char* name;
        uint32_t id;
        bool ok;
    } cases[] = {
        {"matching MD5", 7, true},
        {"empty MD5 stored without a check", 8, true},
        {"wrong MD5", 9, false},
        {"the file is missing on the server", 10, false},
        {"no reply for the game", 11, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.ok, FetchGameIcon(c.id)) << c.name;
        EXPECT_EQ(c.ok, FileExists(GetGameIconPath(c.id))) << c.name;
    }
    EXPECT_EQ("picture of game seven", m_program.ReadFile(L"pic\\00007.vqp"));
}

TEST_F(IconFetch, PackageFillsThePictureFolderAndSparesTheSingleFetch) {
    ServePackage(L"pconline", {{L"00021.vqp", "twenty-one"},
                               {L"00022.vqp", "twenty-two"},
                               {L"00023.vqp", "from the package"},
                               {L"readme.txt", "not a picture"}});
    ASSERT_TRUE(m_program.WriteFile(L"pic\\00023.vqp", "kept"));
    VQIconJob job;
    job.mask = kIconPackageClient | 1;
    job.ids = {21, 22, 7};
    job.workFolder = m_work.PathOf(L"vqicon");
    std::vector<uint32_t> reported;
    job.onPicture = [&](uint32_t id, const std::wstring& path) {
        reported.push_back(id);
        EXPECT_EQ(GetGameIconPath(id), path);
    };
    m_server.ClearRequests();
    EXPECT_EQ(0, RunIconJob(job));

    EXPECT_EQ((std::vector<uint32_t>{21, 22, 7}), reported);
    EXPECT_EQ((std::vector<uint32_t>{7}), job.ids) << "the package's games are not asked for singly";
    EXPECT_EQ("twenty-one", m_program.ReadFile(L"pic\\00021.vqp"));
    EXPECT_EQ("kept", m_program.ReadFile(L"pic\\00023.vqp")) << "a picture already there stays";
    EXPECT_FALSE(FileExists(m_program.PathOf(L"pic\\readme.txt"))) << "only pictures come from a package";
    EXPECT_FALSE(FileExists(job.workFolder)) << "the work folder goes";
    int singleAsks = 0;
    for (const std::string& request : m_server.Requests()) {
        EXPECT_EQ(std::string::npos, request.find("id=00021")) << request;
        if (request.find("update_icon.php?soft=1.7&id=") != std::string::npos) ++singleAsks;
    }
    EXPECT_EQ(2, singleAsks) << "the package and game 7";
}

TEST_F(IconFetch, StopBetweenPicturesAbortsTheJob) {
    ServePackage(L"flash", {{L"50001.vqp", "a"}, {L"50002.vqp", "b"}});
    HANDLE stop = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    VQIconJob job;
    job.mask = kIconPackageFlash | 1;
    job.ids = {50001, 7};
    job.stopEvent = stop;
    job.workFolder = m_work.PathOf(L"vqicon");
    EXPECT_EQ(E_ABORT, RunIconJob(job));
    CloseHandle(stop);
    EXPECT_FALSE(FileExists(GetGameIconPath(50001)));
    EXPECT_FALSE(FileExists(GetGameIconPath(7))) << "no single picture after the stop";
    EXPECT_FALSE(FileExists(job.workFolder));
}

}  // namespace
}  // namespace Test
}  // namespace Tessar
