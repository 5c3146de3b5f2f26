// The vqmeta entry's key/value list.
#include "VQCore/download/PackageMeta.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

std::map<std::wstring, std::wstring> Decode(const std::string& bytes, bool* complete = nullptr) {
    std::map<std::wstring, std::wstring> values;
    bool ok = DecodePackageMeta(reinterpret_cast<const unsigned char*>(bytes.data()),
                                static_cast<uint32_t>(bytes.size()), values);
    if (complete != nullptr)
        *complete = ok;
    return values;
}

TEST(PackageMetaTest, RoundTripsAndUsesCharacterCounts) {
    std::map<std::wstring, std::wstring> values = {
        {kMetaFolder, L"游戏\\Foo"}, {kMetaExe, L"##install##\\game.exe"}, {kMetaArgs, L""}};
    std::string bytes = EncodePackageMeta(values);
    // u32 3, then "vqargs" (6 characters) first in key order.
    EXPECT_EQ(std::string("\x03\x00\x00\x00\x06\x00\x00\x00v\x00q\x00", 12), bytes.substr(0, 12));
    bool complete = false;
    EXPECT_EQ(values, Decode(bytes, &complete));
    EXPECT_TRUE(complete);
}

TEST(PackageMetaTest, ShortDataKeepsThePairsBeforeIt) {
    std::string bytes = EncodePackageMeta({{L"a", L"1"}, {L"b", L"2"}});
    for (size_t cut : {bytes.size() - 1, bytes.size() - 6, size_t(3), size_t(0)}) {
        SCOPED_TRACE(cut);
        bool complete = true;
        std::map<std::wstring, std::wstring> values = Decode(bytes.substr(0, cut), &complete);
        EXPECT_FALSE(complete);
        EXPECT_EQ(cut >= 16 ? 1u : 0u, values.size());  // the first pair takes bytes 4-15
    }
    // A count far beyond the data is just short data.
    std::string huge = bytes;
    huge[4] = '\xFF';
    huge[7] = '\x7F';
    bool complete = true;
    EXPECT_TRUE(Decode(huge, &complete).empty());
    EXPECT_FALSE(complete);
}

TEST(PackageMetaTest, KeysAlreadyPresentKeepTheirValues) {
    std::map<std::wstring, std::wstring> values = {{kMetaExe, L"first"}};
    std::string bytes = EncodePackageMeta({{kMetaExe, L"second"}, {kMetaArgs, L"-x"}});
    ASSERT_TRUE(DecodePackageMeta(reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<uint32_t>(bytes.size()), values));
    EXPECT_EQ(L"first", values[kMetaExe]);
    EXPECT_EQ(L"-x", values[kMetaArgs]);
}

}  // namespace
}  // namespace Tessar
