#include "common/Buffer.h"

#include <gtest/gtest.h>

namespace Tessar {
namespace {

template <typename T>
class BufferTest : public ::testing::Test {};
using ByteTypes = ::testing::Types<char, unsigned char>;
TYPED_TEST_SUITE(BufferTest, ByteTypes);

TYPED_TEST(BufferTest, ZeroSizeHasNoBlock) {
    VQBuffer<TypeParam> empty;
    EXPECT_EQ(0u, empty.size);
    EXPECT_EQ(nullptr, empty.data);
    VQBuffer<TypeParam> sized(0);
    EXPECT_EQ(nullptr, sized.data);
}

TYPED_TEST(BufferTest, ResizeToSameSizeKeepsBlock) {
    VQBuffer<TypeParam> buffer(16);
    ASSERT_NE(nullptr, buffer.data);
    TypeParam* block = buffer.data;
    buffer.Resize(16);
    EXPECT_EQ(block, buffer.data);
    EXPECT_EQ(16u, buffer.size);
}

TYPED_TEST(BufferTest, GrowingAndShrinkingKeepTheFront) {
    VQBuffer<TypeParam> buffer(4);
    for (uint32_t i = 0; i < 4; ++i)
        buffer.data[i] = static_cast<TypeParam>('a' + i);
    buffer.Resize(10);
    ASSERT_EQ(10u, buffer.size);
    EXPECT_EQ(0, std::memcmp(buffer.data, "abcd", 4));
    buffer.Resize(2);
    ASSERT_EQ(2u, buffer.size);
    EXPECT_EQ(0, std::memcmp(buffer.data, "ab", 2));
    buffer.Resize(0);
    EXPECT_EQ(0u, buffer.size);
    EXPECT_EQ(nullptr, buffer.data);
}

TYPED_TEST(BufferTest, MoveHandsTheBlockOver) {
    VQBuffer<TypeParam> source(8);
    TypeParam* block = source.data;
    VQBuffer<TypeParam> target(std::move(source));
    EXPECT_EQ(block, target.data);
    EXPECT_EQ(8u, target.size);
    EXPECT_EQ(nullptr, source.data);
    EXPECT_EQ(0u, source.size);
}

}  // namespace
}  // namespace Tessar
