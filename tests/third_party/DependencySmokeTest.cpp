// One real call into each third-party dependency, so a broken fetch or
// cross-build shows up here rather than deep inside a feature test.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <boost/shared_ptr.hpp>
#include <boost/make_shared.hpp>
#include <sqlite3.h>
#include <tinyxml.h>
#include <zlib.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <cstring>
#include <string>
#include <vector>

TEST(DependencySmoke, ZlibDeflatesAndInflates) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "game manager ";
  uLongf packedSize = compressBound(static_cast<uLong>(text.size()));
  std::vector<Bytef> packed(packedSize);
  ASSERT_EQ(Z_OK, compress2(packed.data(), &packedSize,
                            reinterpret_cast<const Bytef*>(text.data()),
                            static_cast<uLong>(text.size()), 9));
  EXPECT_LT(packedSize, text.size() / 10);

  std::vector<Bytef> unpacked(text.size());
  uLongf unpackedSize = static_cast<uLongf>(unpacked.size());
  ASSERT_EQ(Z_OK, uncompress(unpacked.data(), &unpackedSize, packed.data(), packedSize));
  EXPECT_EQ(text, std::string(unpacked.begin(), unpacked.begin() + unpackedSize));
}

TEST(DependencySmoke, TinyXmlParsesAndPrints) {
  TiXmlDocument doc;
  doc.Parse("<ROOT><GAME><ID>00042</ID></GAME></ROOT>");
  ASSERT_FALSE(doc.Error()) << doc.ErrorDesc();
  const TiXmlElement* id = doc.RootElement()->FirstChildElement("GAME")->FirstChildElement("ID");
  ASSERT_NE(nullptr, id);
  EXPECT_STREQ("00042", id->GetText());

  TiXmlPrinter printer;
  printer.SetStreamPrinting();
  doc.Accept(&printer);
  EXPECT_EQ("<ROOT><GAME><ID>00042</ID></GAME></ROOT>", std::string(printer.CStr()));
}

TEST(DependencySmoke, SqliteRunsQueries) {
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr));
  ASSERT_EQ(SQLITE_OK, sqlite3_exec(db,
      "CREATE TABLE t(name TEXT); INSERT INTO t VALUES('a'),('b'),('c');", nullptr, nullptr, nullptr));
  char** table = nullptr;
  int rows = 0, cols = 0;
  ASSERT_EQ(SQLITE_OK, sqlite3_get_table(db, "SELECT count(*) FROM t", &table, &rows, &cols, nullptr));
  ASSERT_EQ(1, rows);
  EXPECT_STREQ("3", table[1]);
  sqlite3_free_table(table);
  EXPECT_EQ(1, sqlite3_threadsafe());
  sqlite3_close(db);
}

TEST(DependencySmoke, StbImageDecodesPng) {
  const unsigned char pixels[2 * 2 * 4] = {255, 0, 0, 255, 0, 255, 0, 255,
                                           0, 0, 255, 255, 255, 255, 255, 128};
  int pngSize = 0;
  unsigned char* png = stbi_write_png_to_mem(pixels, 2 * 4, 2, 2, 4, &pngSize);
  ASSERT_NE(nullptr, png);

  int w = 0, h = 0, channels = 0;
  unsigned char* decoded = stbi_load_from_memory(png, pngSize, &w, &h, &channels, 4);
  ASSERT_NE(nullptr, decoded) << stbi_failure_reason();
  EXPECT_EQ(2, w);
  EXPECT_EQ(2, h);
  EXPECT_EQ(0, std::memcmp(pixels, decoded, sizeof(pixels)));
  stbi_image_free(decoded);
  STBIW_FREE(png);
}

TEST(DependencySmoke, BoostSharedPtrCounts) {
  boost::shared_ptr<std::wstring> a = boost::make_shared<std::wstring>(L"shared");
  boost::shared_ptr<std::wstring> b = a;
  EXPECT_EQ(2, a.use_count());
  b.reset();
  EXPECT_EQ(1, a.use_count());
}

namespace {
struct ICounter {
  virtual ~ICounter() = default;
  virtual int Next() = 0;
};
struct MockCounter : ICounter {
  MOCK_METHOD(int, Next, (), (override));
};
}  // namespace

TEST(DependencySmoke, GoogleMockVerifiesCalls) {
  MockCounter counter;
  EXPECT_CALL(counter, Next()).WillOnce(testing::Return(7));
  ICounter& c = counter;
  EXPECT_EQ(7, c.Next());
}
