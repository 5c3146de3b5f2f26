// The stream converters and their registry: stored bytes, zlib streams
// that zlib itself reads back, and broken streams that must fail.
#include "VQCore/download/ConverterRegistry.h"
#include "VQCore/download/ZipConverter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

namespace Tessar {
namespace {

// Bytes that compress somewhat but not trivially.
std::string Sample(size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(i % 7 == 0 ? (state >> 16) : 'a' + (i % 13));
    }
    return bytes;
}

// Feeds the input in pieces of at most `piece` bytes the way the package
// reader does: Put, take all output, repeat; then Finish until dry.
bool Convert(VQCompressConverter& converter, const std::string& input, std::string& output, size_t piece) {
    output.clear();
    auto drain = [&] {
        uint32_t size = 0;
        const unsigned char* data = converter.GetOutput(size);
        output.append(reinterpret_cast<const char*>(data), size);
        converter.ClearOutput();
        return size > 0;
    };
    size_t at = 0;
    while (at < input.size()) {
        uint32_t count = static_cast<uint32_t>(std::min(piece, input.size() - at));
        uint32_t used = 0;
        if (!converter.Put(reinterpret_cast<const unsigned char*>(input.data() + at), count, used))
            return false;
        at += used;
        if (!drain() && used == 0)
            return false;
    }
    for (;;) {
        if (!converter.Finish())
            return false;
        if (!drain())
            return true;
    }
}

TEST(ZipConverterTest, RoundTripsAndZlibReadsItsStreams) {
    const struct {
        const char* name;
        size_t size;
        size_t piece;
    } cases[] = {
        {"empty", 0, 4096},
        {"one byte", 1, 4096},
        {"one block", 4096, 4096},
        {"more than the output buffer", 1500000, 524288},
        {"tiny pieces", 70000, 333},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string plain = Sample(c.size);
        VQZipEncoder encoder;
        std::string packed;
        ASSERT_TRUE(Convert(encoder, plain, packed, c.piece));
        // RFC 1950 header of a level-9 deflate stream with a 32 KiB window.
        ASSERT_GE(packed.size(), 6u);
        EXPECT_EQ(0x78, static_cast<unsigned char>(packed[0]));
        EXPECT_EQ(0xDA, static_cast<unsigned char>(packed[1]));

        uLongf size = static_cast<uLongf>(plain.size() + 1);
        std::string check(size, '\0');
        ASSERT_EQ(Z_OK, uncompress(reinterpret_cast<Bytef*>(&check[0]), &size,
                                   reinterpret_cast<const Bytef*>(packed.data()), static_cast<uLong>(packed.size())));
        check.resize(size);
        EXPECT_EQ(plain, check);

        VQZipDecoder decoder;
        std::string unpacked;
        ASSERT_TRUE(Convert(decoder, packed, unpacked, c.piece));
        EXPECT_EQ(plain, unpacked);
    }
}

TEST(ZipConverterTest, ResetStartsANewStream) {
    VQZipEncoder encoder;
    std::string first;
    std::string second;
    ASSERT_TRUE(Convert(encoder, Sample(5000), first, 4096));
    ASSERT_TRUE(encoder.Reset());
    ASSERT_TRUE(Convert(encoder, Sample(5000), second, 4096));
    EXPECT_EQ(first, second);

    VQZipDecoder decoder;
    std::string out;
    ASSERT_TRUE(Convert(decoder, first, out, 4096));
    ASSERT_TRUE(decoder.Reset());
    ASSERT_TRUE(Convert(decoder, second, out, 4096));
    EXPECT_EQ(Sample(5000), out);
}

TEST(ZipConverterTest, LevelOutsideTheRangeCountsAsNine) {
    std::string plain = Sample(200000);
    std::string nine;
    std::string wild;
    std::string one;
    VQZipEncoder level9(9);
    VQZipEncoder levelWild(42);
    VQZipEncoder level1(1);
    ASSERT_TRUE(Convert(level9, plain, nine, 65536));
    ASSERT_TRUE(Convert(levelWild, plain, wild, 65536));
    ASSERT_TRUE(Convert(level1, plain, one, 65536));
    EXPECT_EQ(nine, wild);
    EXPECT_NE(nine, one);
}

TEST(ZipConverterTest, BrokenStreamsFail) {
    std::string plain = Sample(100000);
    VQZipEncoder encoder;
    std::string packed;
    ASSERT_TRUE(Convert(encoder, plain, packed, 65536));

    std::string flipped = packed;
    for (size_t i = 10; i < flipped.size(); i += 97)
        flipped[i] = static_cast<char>(flipped[i] ^ 0x5A);
    std::string badTrailer = packed;
    badTrailer[badTrailer.size() - 1] ^= 0x01;  // Adler-32 no longer matches
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"cut in the middle", packed.substr(0, packed.size() / 2)},
        {"cut before the trailer", packed.substr(0, packed.size() - 4)},
        {"bytes flipped", flipped},
        {"wrong checksum", badTrailer},
        {"bytes after the end", packed + "trailing"},
        {"not zlib at all", std::string("plain text, no stream header here")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VQZipDecoder decoder;
        std::string out;
        EXPECT_FALSE(Convert(decoder, c.bytes, out, 4096));
    }
}

TEST(ZipConverterTest, WriteSpaceIsTheFreeRoomOfTheOutputBuffer) {
    VQZipDecoder decoder;
    uint32_t room = 0;
    ASSERT_NE(nullptr, decoder.GetWriteSpace(room));
    EXPECT_EQ(VQZipEncoder::kBufferSize, room);
    EXPECT_TRUE(decoder.IsCodec());
}

TEST(RawConverterTest, CopiesWhatFitsAndAFullBufferTakesNothing) {
    VQRawConverter raw;
    EXPECT_FALSE(raw.IsCodec());
    std::string big = Sample(VQRawConverter::kBufferSize + 500);
    uint32_t used = 0;
    ASSERT_TRUE(raw.Put(reinterpret_cast<const unsigned char*>(big.data()), static_cast<uint32_t>(big.size()), used));
    EXPECT_EQ(VQRawConverter::kBufferSize, used);
    EXPECT_EQ(VQRawConverter::kBufferSize, raw.Available());
    ASSERT_TRUE(raw.Put(reinterpret_cast<const unsigned char*>(big.data()), 10, used));
    EXPECT_EQ(0u, used);

    std::string front(100, '\0');
    ASSERT_TRUE(raw.Take(reinterpret_cast<unsigned char*>(&front[0]), 100));
    EXPECT_EQ(big.substr(0, 100), front);
    EXPECT_EQ(VQRawConverter::kBufferSize - 100, raw.Available());
    uint32_t size = 0;
    const unsigned char* rest = raw.GetOutput(size);
    EXPECT_EQ(big.substr(100, size), std::string(reinterpret_cast<const char*>(rest), size));

    EXPECT_TRUE(raw.Finish());
    EXPECT_TRUE(raw.Reset());
    EXPECT_EQ(0u, raw.Available());
}

TEST(ConverterRegistryTest, IdsGiveTheirConverters) {
    boost::shared_ptr<VQCompressConverter> stored = CreateConverter(kConverterStored);
    ASSERT_TRUE(stored);
    EXPECT_FALSE(stored->IsCodec());
    boost::shared_ptr<VQCompressConverter> zip = CreateConverter(kConverterZip);
    ASSERT_TRUE(zip);
    EXPECT_NE(nullptr, dynamic_cast<VQZipDecoder*>(zip.get()));
    boost::shared_ptr<VQCompressConverter> encoder = CreateEncoder(kConverterZip);
    ASSERT_TRUE(encoder);
    EXPECT_EQ(nullptr, dynamic_cast<VQZipDecoder*>(encoder.get()));
    for (uint16_t id : {2, 31, 32, 0xFFFF}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(CreateConverter(id));
    }
}

TEST(ConverterRegistryTest, SlotsAreRegisteredOnce) {
    RegisterConverters();
    EXPECT_FALSE(RegisterConverter(kConverterZip, "ZIP", nullptr, nullptr));
    EXPECT_FALSE(RegisterConverter(kConverterStored, "RAW", nullptr, nullptr));
    EXPECT_FALSE(RegisterConverter(32, "FAR", nullptr, nullptr));
    EXPECT_FALSE(RegisterConverter(30, "a name that is longer than thirty-one characters", nullptr, nullptr));
}

}  // namespace
}  // namespace Tessar
