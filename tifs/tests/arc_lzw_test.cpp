#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "tests/support/arc_writer.h"
#include "tifs/arc/lzw_decoder.h"

namespace kestrel
{
namespace
{

using kestrel::LzwCompress;
using testing::LzwOptions;

struct Decoded {
    std::vector<uint8_t> bytes;
    LzwStatus last = LzwStatus::Block;
    unsigned maxWidth = 0;
    unsigned finalWidth = 0;
    std::vector<size_t> fills;
};

Decoded DecodeAll(const std::vector<uint8_t> &stream, size_t maxBlocks = 1u << 20)
{
    MemoryByteSource source(stream.data(), stream.size());
    LzwDecoder decoder;
    decoder.Reset(&source);
    Decoded out;
    uint8_t block[kLzwBlockSize];
    for (size_t n = 0; n < maxBlocks; ++n) {
        size_t filled = 0;
        out.last = decoder.NextBlock(block, filled);
        if (out.last != LzwStatus::Block) {
            break;
        }
        out.fills.push_back(filled);
        out.bytes.insert(out.bytes.end(), block, block + filled);
    }
    out.maxWidth = decoder.MaxWidthSeen();
    out.finalWidth = decoder.Width();
    return out;
}

// Codes packed most significant bit first, as a damaged or hand-made stream.
std::vector<uint8_t> PackCodes(const std::vector<std::pair<unsigned, unsigned>> &codes)
{
    std::vector<uint8_t> out;
    uint32_t acc = 0;
    unsigned bits = 0;
    for (auto [code, width] : codes) {
        acc = (acc << width) | code;
        bits += width;
        while (bits >= 8) {
            out.push_back(static_cast<uint8_t>(acc >> (bits - 8)));
            bits -= 8;
        }
    }
    if (bits > 0) {
        out.push_back(static_cast<uint8_t>(acc << (8 - bits)));
    }
    return out;
}

std::vector<uint8_t> NoisyText(size_t size, unsigned seed)
{
    std::mt19937 rng(seed);
    const char *words[] = {"CALL ", "CLEAR", " PRINT", "\"HELLO\"", "::", "100 ", "GOTO "};
    std::vector<uint8_t> out;
    while (out.size() < size) {
        if (rng() % 4 == 0) {
            out.push_back(static_cast<uint8_t>(rng()));
        } else {
            const char *w = words[rng() % 7];
            out.insert(out.end(), w, w + std::strlen(w));
        }
    }
    out.resize(size);
    return out;
}

TEST(LzwDecoder, RoundTripsTextRunsAndNoise)
{
    std::vector<std::vector<uint8_t>> inputs;
    inputs.push_back(NoisyText(256 * 40, 1));
    inputs.push_back(std::vector<uint8_t>(256 * 30, 0xAA)); // one long run: KwKwK codes throughout
    std::vector<uint8_t> noise(256 * 50);
    std::mt19937 rng(7);
    for (auto &b : noise) {
        b = static_cast<uint8_t>(rng());
    }
    inputs.push_back(noise);
    inputs.push_back(std::vector<uint8_t>(256, 0)); // a single block
    for (const auto &input : inputs) {
        Decoded d = DecodeAll(LzwCompress(input));
        EXPECT_EQ(d.last, LzwStatus::End);
        EXPECT_EQ(d.bytes, input);
        for (size_t fill : d.fills) {
            EXPECT_EQ(fill, kLzwBlockSize);
        }
    }
}

TEST(LzwDecoder, StreamStartsWithClearCodeByte)
{
    std::vector<uint8_t> stream = LzwCompress(NoisyText(300, 2));
    ASSERT_FALSE(stream.empty());
    EXPECT_EQ(stream[0], 0x80);
    EXPECT_EQ(stream.size() % 256, 0u);
}

TEST(LzwDecoder, WidthReachesTwelveAndKeepsItUntilTheNextClearCode)
{
    // Without a clear code the table fills and every later code stays 12 bits.
    std::vector<uint8_t> input = NoisyText(256 * 200, 3);
    LzwOptions keep;
    keep.clearWhenFull = false;
    Decoded kept = DecodeAll(LzwCompress(input, keep));
    EXPECT_EQ(kept.bytes, input);
    EXPECT_EQ(kept.maxWidth, 12u);
    EXPECT_EQ(kept.finalWidth, 12u);

    // With clear codes the width starts again at 9 after each one.
    Decoded cleared = DecodeAll(LzwCompress(input));
    EXPECT_EQ(cleared.bytes, input);
    EXPECT_EQ(cleared.maxWidth, 12u);

    // By hand: a clear code read at 12 bits sends the next code back to 9.
    std::vector<std::pair<unsigned, unsigned>> codes = {{256, 9}, {'A', 9}};
    unsigned width = 9, next = 258;
    for (int i = 0; i < 2000; ++i) { // define codes until the width is 12
        codes.push_back({'A', width});
        ++next;
        if (next == (1u << width) && width < 12) {
            ++width;
        }
    }
    ASSERT_EQ(width, 12u);
    codes.push_back({256, 12});
    codes.push_back({'B', 9});
    codes.push_back({257, 9});
    Decoded manual = DecodeAll(PackCodes(codes));
    EXPECT_EQ(manual.last, LzwStatus::End);
    ASSERT_EQ(manual.bytes.size(), 2002u);
    EXPECT_EQ(manual.bytes.back(), 'B');
    EXPECT_EQ(manual.finalWidth, 9u);
}

TEST(LzwDecoder, EndCodeFlushesAShortBlock)
{
    Decoded d = DecodeAll(PackCodes({{256, 9}, {'H', 9}, {'I', 9}, {257, 9}}));
    ASSERT_EQ(d.fills.size(), 1u);
    EXPECT_EQ(d.fills[0], 2u);
    EXPECT_EQ(d.bytes, (std::vector<uint8_t>{'H', 'I'}));
    EXPECT_EQ(d.last, LzwStatus::End);
}

TEST(LzwDecoder, HostileCodesEndAsDamaged)
{
    // A code beyond the next free code.
    EXPECT_EQ(DecodeAll(PackCodes({{256, 9}, {'A', 9}, {'B', 9}, {400, 9}})).last,
              LzwStatus::Damaged);
    // A string code right after a clear code.
    EXPECT_EQ(DecodeAll(PackCodes({{256, 9}, {258, 9}})).last, LzwStatus::Damaged);
    EXPECT_EQ(DecodeAll(PackCodes({{256, 9}, {'A', 9}, {256, 9}, {259, 9}})).last,
              LzwStatus::Damaged);
    // A second end of the damaged stream repeats the result, never more data.
    MemoryByteSource source(nullptr, 0);
    LzwDecoder decoder;
    decoder.Reset(&source);
    uint8_t block[kLzwBlockSize];
    size_t filled = 7;
    EXPECT_EQ(decoder.NextBlock(block, filled), LzwStatus::End);
    EXPECT_EQ(filled, 0u);
    EXPECT_EQ(decoder.NextBlock(block, filled), LzwStatus::End);
}

TEST(LzwDecoder, TruncatedStreamEndsWithWhatWasDecoded)
{
    std::vector<uint8_t> input = NoisyText(256 * 20, 4);
    std::vector<uint8_t> stream = LzwCompress(input);
    stream.resize(stream.size() / 3);
    Decoded d = DecodeAll(stream);
    EXPECT_EQ(d.last, LzwStatus::End);
    ASSERT_LE(d.bytes.size(), input.size());
    EXPECT_TRUE(std::equal(d.bytes.begin(), d.bytes.end(), input.begin()));
}

TEST(LzwDecoder, ResetStartsAFreshContext)
{
    std::vector<uint8_t> a = NoisyText(256 * 30, 5);
    std::vector<uint8_t> sa = LzwCompress(a);
    std::vector<uint8_t> sb = LzwCompress(std::vector<uint8_t>(512, 'z'));
    LzwDecoder decoder;
    uint8_t block[kLzwBlockSize];
    size_t filled = 0;
    MemoryByteSource first(sa.data(), sa.size());
    decoder.Reset(&first);
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(decoder.NextBlock(block, filled), LzwStatus::Block);
    }
    MemoryByteSource second(sb.data(), sb.size());
    decoder.Reset(&second);
    EXPECT_EQ(decoder.Width(), 9u);
    ASSERT_EQ(decoder.NextBlock(block, filled), LzwStatus::Block);
    EXPECT_EQ(filled, 256u);
    EXPECT_EQ(block[0], 'z');
    EXPECT_EQ(block[255], 'z');
}

TEST(LzwDecoder, RandomBytesNeverHangOrOverrun)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> stream(1 + rng() % 3000);
        for (auto &b : stream) {
            b = static_cast<uint8_t>(rng());
        }
        stream[0] = 0x80;
        Decoded d = DecodeAll(stream);
        EXPECT_NE(d.last, LzwStatus::Block);
        // Each code yields at most one table string: the output is bounded.
        EXPECT_LE(d.bytes.size(), (stream.size() * 8 / 9 + 1) * kLzwTableSize);
    }
}

} // namespace
} // namespace kestrel

namespace kestrel
{
namespace
{

// The codes of a stream with the widths the decoder reads them at.
std::vector<uint16_t> ReadCodes(const std::vector<uint8_t> &stream)
{
    std::vector<uint16_t> codes;
    uint32_t bits = 0;
    unsigned count = 0, width = 9, next = 258;
    bool afterClear = true;
    for (size_t pos = 0;;) {
        while (count < width) {
            if (pos >= stream.size()) {
                return codes;
            }
            bits = (bits << 8) | stream[pos++];
            count += 8;
        }
        count -= width;
        const uint16_t code = static_cast<uint16_t>((bits >> count) & ((1u << width) - 1));
        bits &= (1u << count) - 1;
        codes.push_back(code);
        if (code == 256) {
            width = 9;
            next = 258;
            afterClear = true;
            continue;
        }
        if (code == 257) {
            return codes;
        }
        if (!afterClear && next < 4096 && ++next == (1u << width) && width < 12) {
            ++width;
        }
        afterClear = false;
    }
}

TEST(LzwEncoder, ClearCodeFollowsTheCodeThatFillsTheDecodersTable)
{
    // Codes 258 to 4095 are defined by the 2nd to the 3839th code after a
    // clear; the next clear comes right after that, as TI-made archives have it.
    std::vector<uint8_t> input = NoisyText(256 * 300, 8);
    std::vector<uint16_t> codes = ReadCodes(LzwCompress(input));
    std::vector<size_t> clears;
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == 256) {
            clears.push_back(i);
        }
    }
    ASSERT_GE(clears.size(), 3u);
    EXPECT_EQ(clears[0], 0u);
    EXPECT_EQ(clears[1], 3840u);
    EXPECT_EQ(clears[2], 2 * 3840u);
    EXPECT_EQ(codes.back(), 257);
    EXPECT_EQ(DecodeAll(LzwCompress(input)).bytes, input);
}

} // namespace
} // namespace kestrel
