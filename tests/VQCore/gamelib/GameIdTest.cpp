#include "VQCore/gamelib/GameId.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace Tessar {
namespace {

TEST(GameIdTest, BandsGiveTheKind) {
    struct Case {
        uint32_t id;
        VQGameKind kind;
    };
    const Case cases[] = {
        {0, kNoGameKind},          {1, kSingleGameKind},      {19999, kSingleGameKind}, {20000, kNoGameKind},
        {20001, kOnlineGameKind},  {39999, kOnlineGameKind},  {40000, kNoGameKind},     {40001, kToolGameKind},
        {49999, kToolGameKind},    {50000, kNoGameKind},      {50001, kFlashGameKind},  {69999, kFlashGameKind},
        {70000, kNoGameKind},      {70001, kWebGameKind},     {89999, kWebGameKind},    {90000, kNoGameKind},
        {90001, kCustomGameKind},  {99999, kCustomGameKind},  {100000, kNoGameKind},    {0xFFFFFFFFu, kNoGameKind},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(c.kind, GameKindOf(c.id));
        EXPECT_EQ(c.kind == kSingleGameKind, IsSingleGameId(c.id));
        EXPECT_EQ(c.kind == kOnlineGameKind, IsOnlineGameId(c.id));
        EXPECT_EQ(c.kind == kFlashGameKind, IsFlashGameId(c.id));
        EXPECT_EQ(c.kind == kWebGameKind, IsWebGameId(c.id));
        EXPECT_EQ(c.kind == kToolGameKind, IsToolGameId(c.id));
        EXPECT_EQ(c.kind == kCustomGameKind, IsCustomGameId(c.id));
    }
}

}  // namespace
}  // namespace Tessar
