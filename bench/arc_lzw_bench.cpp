// LZW decompression throughput of compressed archives, in MB/s of output,
// next to a plain copy of the same number of bytes in the same 256-byte
// blocks, so that the ratio says what the decoding costs on this machine.
#include "bench/bench_result.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "tests/support/arc_writer.h"
#include "tifs/arc/lzw_decoder.h"

namespace
{

using Clock = std::chrono::steady_clock;

// Text-like data: words of a BASIC listing with some noise, as archives hold.
std::vector<uint8_t> SampleData(size_t size)
{
    std::mt19937 rng(42);
    const char *words[] = {
        "100 CALL CLEAR", " :: ", "PRINT \"SCORE\";S", "GOTO 200", "FOR I=1 TO 10",
        "NEXT I",         "\r\n"};
    std::vector<uint8_t> out;
    while (out.size() < size) {
        if (rng() % 5 == 0) {
            out.push_back(static_cast<uint8_t>(rng()));
        } else {
            const char *w = words[rng() % 7];
            out.insert(out.end(), w, w + std::strlen(w));
        }
    }
    out.resize(size);
    return out;
}

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

} // namespace

int main()
{
    using namespace kestrel;
    const size_t kSize = 8u << 20; // 8 MiB of output per round
    const int kRounds = 5;
    std::vector<uint8_t> plain = SampleData(kSize);
    std::vector<uint8_t> stream = LzwCompress(plain);
    std::vector<uint8_t> sink(kSize);
    uint8_t block[kLzwBlockSize];

    double decodeBest = 1e9;
    std::vector<double> decodeRuns, copyRuns;
    size_t produced = 0;
    for (int round = 0; round < kRounds; ++round) {
        Clock::time_point start = Clock::now();
        MemoryByteSource source(stream.data(), stream.size());
        LzwDecoder decoder;
        decoder.Reset(&source);
        size_t filled = 0;
        produced = 0;
        while (decoder.NextBlock(block, filled) == LzwStatus::Block) {
            std::memcpy(sink.data() + produced, block, filled);
            produced += filled;
        }
        decodeRuns.push_back(Seconds(start));
        decodeBest = std::min(decodeBest, decodeRuns.back());
    }
    if (produced != kSize || std::memcmp(sink.data(), plain.data(), kSize) != 0) {
        std::fprintf(stderr, "arc_lzw_bench: decompressed data differs\n");
        return 1;
    }

    double copyBest = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        Clock::time_point start = Clock::now();
        for (size_t pos = 0; pos < kSize; pos += kLzwBlockSize) {
            std::memcpy(block, plain.data() + pos, kLzwBlockSize);
            std::memcpy(sink.data() + pos, block, kLzwBlockSize);
        }
        copyRuns.push_back(Seconds(start));
        copyBest = std::min(copyBest, copyRuns.back());
    }
    if (sink[kSize / 2] != plain[kSize / 2]) {
        return 1;
    }

    double mb = static_cast<double>(kSize) / 1e6;
    double decodeRate = mb / decodeBest;
    double copyRate = mb / copyBest;
    kestrel::bench::PrintResult("arc LZW decompress, 8 MiB", decodeRuns, "plain copy of the output",
                                copyRuns, 0);
    std::printf("arc_lzw_decompress: %.1f MB/s of output (%zu bytes from %zu compressed), "
                "plain copy %.1f MB/s, ratio %.3f\n",
                decodeRate, kSize, stream.size(), copyRate, decodeRate / copyRate);
    return 0;
}
