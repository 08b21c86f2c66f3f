#include "hdlib/tests/library_fixture.h"

#include "tifs/byte_order.h"

#include <algorithm>
#include <random>

namespace kestrel::testing
{
namespace
{

constexpr uint8_t kUpdate = 0x00;
constexpr uint8_t kOutput = 0x02;
constexpr uint8_t kInput = 0x04;
constexpr uint8_t kAppend = 0x06;
constexpr uint8_t kRelative = 0x01;
constexpr uint8_t kInternal = 0x08;
constexpr uint8_t kVariable = 0x10;

class HdFileIo : public BrackenlyTest
{
protected:
    void SetUp() override
    {
        BrackenlyTest::SetUp();
        Open(MakeHdImage({.sectors = 8192, .sectorsPerAu = 2}));
    }

    static std::vector<uint8_t> Record(int n, size_t length)
    {
        std::vector<uint8_t> bytes(length);
        for (size_t i = 0; i < length; ++i)
            bytes[i] = static_cast<uint8_t>(n * 7 + i);
        return bytes;
    }

    std::vector<uint8_t> RootFdrOf(const std::string &name)
    {
        std::vector<uint8_t> image = Image();
        HdVolumeView view(image, 0);
        const uint8_t *index = view.FileIndex(0);
        for (int k = 0; k < view.Sector(0)[22]; ++k) {
            const uint8_t *fdr = view.Au(GetWordBE(index, 2 * k));
            if (std::string(reinterpret_cast<const char *>(fdr), 10) == PaddedTiName(name))
                return std::vector<uint8_t>(fdr, fdr + 256);
        }
        return {};
    }
};

TEST_F(HdFileIo, DisplayVariableRecordsRoundTrip)
{
    std::vector<std::vector<uint8_t>> records;
    for (int n = 0; n < 300; ++n)
        records.push_back(Record(n, static_cast<size_t>(n * 13 % 81)));
    FileRequest out = Request(".TEXT", kOutput | kVariable);
    out.recordLength = 80;
    ASSERT_EQ(openRecord(&out), 0);
    for (const auto &record : records)
        ASSERT_EQ(writeRecord(&out, record.data(), static_cast<int32_t>(record.size())), 0);
    EXPECT_EQ(writeRecord(&out, records[0].data(), 81), 96); // too long: the file is closed
    EXPECT_EQ(out.status, 'C');

    const std::vector<uint8_t> fdr = RootFdrOf("TEXT");
    ASSERT_FALSE(fdr.empty());
    EXPECT_EQ(fdr[12], 0x80);
    EXPECT_EQ(fdr[13], 255 / 81);
    EXPECT_EQ(fdr[17], 80);
    EXPECT_EQ(GetWordLE(fdr.data(), 18), GetWordBE(fdr.data(), 14));
    EXPECT_GT(GetWordBE(fdr.data(), 14), 20);

    FileRequest in = Request(".TEXT", kInput | kVariable);
    ASSERT_EQ(openRecord(&in), 0);
    EXPECT_EQ(in.recordLength, 80u);
    uint8_t buffer[256];
    std::vector<std::vector<uint8_t>> read;
    int32_t result = 0;
    for (int guard = 0; guard < 400 && (result = readRecord(&in, buffer)) == 0; ++guard)
        read.emplace_back(buffer + 1, buffer + 1 + buffer[0]);
    EXPECT_EQ(result, 160);
    EXPECT_EQ(in.status, 'C');
    EXPECT_EQ(read, records);
}

TEST_F(HdFileIo, InternalFixedRelativeRecordsInRandomOrder)
{
    std::vector<int> order(50);
    for (int n = 0; n < 50; ++n)
        order[n] = n;
    std::mt19937 random(8);
    std::shuffle(order.begin(), order.end(), random);
    FileRequest out = Request(".DATA", kOutput | kInternal | kRelative);
    out.recordLength = 128;
    ASSERT_EQ(openRecord(&out), 0);
    for (int n : order) {
        out.recordNumber = static_cast<uint32_t>(n);
        const std::vector<uint8_t> record = Record(n, n == 7 ? 5 : 128); // short ones pad
        ASSERT_EQ(writeRecord(&out, record.data(), static_cast<int32_t>(record.size())), 0);
        EXPECT_EQ(out.recordNumber, static_cast<uint32_t>(n + 1));
    }
    ASSERT_EQ(closeFile(&out, 0), 0);
    const std::vector<uint8_t> fdr = RootFdrOf("DATA");
    EXPECT_EQ(fdr[12], 0x02);
    EXPECT_EQ(fdr[13], 2);
    EXPECT_EQ(GetWordLE(fdr.data(), 18), 50);
    EXPECT_EQ(GetWordBE(fdr.data(), 14), 25);

    std::shuffle(order.begin(), order.end(), random);
    FileRequest in = Request(".DATA", kInput | kInternal | kRelative);
    ASSERT_EQ(openRecord(&in), 0);
    uint8_t buffer[256];
    for (int n : order) {
        in.recordNumber = static_cast<uint32_t>(n);
        ASSERT_EQ(readRecord(&in, buffer), 0) << n;
        ASSERT_EQ(buffer[0], 128);
        std::vector<uint8_t> expected = Record(n, n == 7 ? 5 : 128);
        expected.resize(128, 0);
        EXPECT_EQ(std::vector<uint8_t>(buffer + 1, buffer + 129), expected) << n;
    }
    in.recordNumber = 50;
    EXPECT_EQ(readRecord(&in, buffer), 160);
}

TEST_F(HdFileIo, AppendRestoreAndUpdate)
{
    FileRequest out = Request(".LOG", kOutput | kVariable);
    ASSERT_EQ(openRecord(&out), 0); // record length 0 becomes 80
    EXPECT_EQ(out.recordLength, 80u);
    ASSERT_EQ(writeRecord(&out, reinterpret_cast<const uint8_t *>("ONE"), 3), 0);
    ASSERT_EQ(writeRecord(&out, reinterpret_cast<const uint8_t *>("TWO"), 3), 0);
    ASSERT_EQ(closeFile(&out, 0), 0);
    FileRequest append = Request(".LOG", kAppend | kVariable);
    ASSERT_EQ(openRecord(&append), 0);
    ASSERT_EQ(writeRecord(&append, reinterpret_cast<const uint8_t *>("THREE"), 5), 0);
    ASSERT_EQ(closeFile(&append, 0), 0);

    FileRequest in = Request(".LOG", kInput | kVariable);
    ASSERT_EQ(openRecord(&in), 0);
    uint8_t buffer[256];
    ASSERT_EQ(readRecord(&in, buffer), 0);
    ASSERT_EQ(readRecord(&in, buffer), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer + 1), buffer[0]), "TWO");
    ASSERT_EQ(restore(&in, 0), 0);
    ASSERT_EQ(readRecord(&in, buffer), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer + 1), buffer[0]), "ONE");
    ASSERT_EQ(readRecord(&in, buffer), 0);
    ASSERT_EQ(readRecord(&in, buffer), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buffer + 1), buffer[0]), "THREE");
    EXPECT_EQ(endOfFile(&in), 1);
    EXPECT_EQ(isProtected(&in), 0);
    EXPECT_EQ(readRecord(&in, buffer), 160);

    // UPDATE of a FIXED file rewrites a record in place.
    FileRequest fixed = Request(".FIX", kOutput);
    fixed.recordLength = 10;
    ASSERT_EQ(openRecord(&fixed), 0);
    for (int n = 0; n < 30; ++n)
        ASSERT_EQ(writeRecord(&fixed, Record(n, 10).data(), 10), 0);
    ASSERT_EQ(closeFile(&fixed, 0), 0);
    FileRequest update = Request(".FIX", kUpdate | kRelative);
    ASSERT_EQ(openRecord(&update), 0);
    update.recordNumber = 27;
    ASSERT_EQ(writeRecord(&update, reinterpret_cast<const uint8_t *>("XXXXXXXXXX"), 10), 0);
    ASSERT_EQ(closeFile(&update, 0), 0);
    FileRequest check = Request(".FIX", kInput);
    ASSERT_EQ(openRecord(&check), 0);
    for (int n = 0; n < 30; ++n) {
        ASSERT_EQ(readRecord(&check, buffer), 0);
        const std::vector<uint8_t> expected =
            n == 27 ? std::vector<uint8_t>(10, 'X') : Record(n, 10);
        EXPECT_EQ(std::vector<uint8_t>(buffer + 1, buffer + 11), expected) << n;
    }
    EXPECT_EQ(endOfFile(&check), 1);
    closeFile(&check, 0);
}

TEST_F(HdFileIo, OpenChecksAttributesAndModes)
{
    FileRequest request = Request(".F", kOutput | kVariable | kRelative);
    EXPECT_EQ(openRecord(&request), 64);
    request = Request(".F", kOutput | kVariable);
    request.recordLength = 255;
    EXPECT_EQ(openRecord(&request), 64);
    request = Request(".F", kAppend);
    EXPECT_EQ(openRecord(&request), 64);
    request = Request(".F", kInput);
    EXPECT_EQ(openRecord(&request), 64); // missing in INPUT mode
    request = Request(".F", kOutput);
    request.mustExist = 1;
    EXPECT_EQ(openRecord(&request), 224);
    EXPECT_EQ(request.mustExist, 0);
    EXPECT_EQ(openRecord(&request), 0); // the byte was cleared: now it is created
    uint8_t buffer[256];
    EXPECT_EQ(readRecord(&request, buffer), 96); // OUTPUT cannot read
    EXPECT_EQ(request.status, 'C');

    request = Request(".F", kInput | kVariable); // another type
    EXPECT_EQ(openRecord(&request), 64);
    request = Request(".F", kInput);
    request.recordLength = 40; // another length
    EXPECT_EQ(openRecord(&request), 64);
    request = Request(".F", kInput);
    ASSERT_EQ(openRecord(&request), 0);
    EXPECT_EQ(endOfFile(&request), 1);
    EXPECT_EQ(writeRecord(&request, buffer, 1), 96);
    request = Request(".F", kOutput | kVariable | kInternal); // re-initialized in OUTPUT
    ASSERT_EQ(openRecord(&request), 0);
    ASSERT_EQ(closeFile(&request, 0), 0);
    EXPECT_EQ(RootFdrOf("F")[12], 0x82);

    FileRequest protect = Request();
    ASSERT_EQ(setProtection(&protect, ".", "F", 1), 0);
    request = Request(".F", kOutput | kVariable | kInternal);
    EXPECT_EQ(openRecord(&request), 32);
    request = Request(".F", kInput | kVariable | kInternal);
    ASSERT_EQ(openRecord(&request), 0);
    EXPECT_EQ(isProtected(&request), 1);
    closeFile(&request, 0);
    EXPECT_EQ(WriteProgramFile(".F", {1}), 32);
}

TEST_F(HdFileIo, ProgramFilesRoundTrip)
{
    for (size_t size : {0u, 1u, 255u, 256u, 257u, 20000u}) {
        SCOPED_TRACE(size);
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<uint8_t>(i * 31 + size);
        const std::string path = ".P" + std::to_string(size);
        ASSERT_EQ(WriteProgramFile(path, bytes), 0);
        FileRequest request = Request(path, 0x01);
        ASSERT_EQ(openProgramRead(&request), 0);
        EXPECT_EQ(request.programSize, size);
        EXPECT_EQ(request.sectors, (size + 255) / 256);
        EXPECT_EQ(request.endOfFileOffset, size % 256);
        closeFile(&request, 0);
        int32_t last = 0;
        EXPECT_EQ(ReadProgramFile(path, &last), bytes);
        EXPECT_EQ(last, 160);
    }
    std::vector<Listed> listed = List(".");
    ASSERT_EQ(listed.size(), 6u);
    for (const Listed &entry : listed)
        EXPECT_EQ(entry.record.lengthOrSize, std::stoul(entry.name.substr(1)));

    FileRequest text = Request(".T", kOutput | kVariable);
    ASSERT_EQ(openRecord(&text), 0);
    closeFile(&text, 0);
    FileRequest request = Request(".T", 0x01);
    EXPECT_EQ(openProgramRead(&request), 64);
    uint8_t buffer[16];
    request.recordLength = 16;
    EXPECT_EQ(readProgram(&request, buffer), 96);
}

TEST_F(HdFileIo, SectorFilesAsTheProgramCopiesThem)
{
    FileRequest request = Request();
    request.flags = 0x80;
    request.recordLength = 80;
    request.sectors = 3;
    request.endOfFileOffset = 17;
    request.level3Count = 3;
    request.recordsPerSector = 3;
    ASSERT_EQ(createSectorFile(&request, ".", "COPY"), 0);
    uint8_t sector[256];
    for (uint32_t n = 0; n < 3; ++n) {
        std::memset(sector, static_cast<int>(0x30 + n), sizeof sector);
        ASSERT_EQ(writeFileSector(&request, ".", "COPY", n, sector), 0);
    }
    EXPECT_EQ(writeFileSector(&request, ".", "COPY", 3, sector), 224);
    EXPECT_EQ(writeFileSector(&request, "", "COPY", 0, sector), 64);
    ASSERT_EQ(closeFile(&request, 0), 0);

    const std::vector<uint8_t> fdr = RootFdrOf("COPY");
    EXPECT_EQ(fdr[12], 0x80);
    EXPECT_EQ(fdr[13], 3);
    EXPECT_EQ(GetWordBE(fdr.data(), 14), 3);
    EXPECT_EQ(fdr[16], 17);
    EXPECT_EQ(fdr[17], 80);
    EXPECT_EQ(GetWordLE(fdr.data(), 18), 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(fdr.data() + 28), 2), "FI");
    EXPECT_EQ(GetWordBE(fdr.data(), 34), 2); // 3 sectors in AUs of 2

    FileRequest back = Request();
    ASSERT_EQ(openSectorFile(&back, ".", "copy"), 0);
    EXPECT_EQ(back.sectors, 3u);
    EXPECT_EQ(back.flags, 0x80);
    EXPECT_EQ(back.recordLength, 80u);
    for (uint32_t n : {2u, 0u, 1u}) {
        ASSERT_EQ(readFileSector(&back, ".", "copy", n, sector), 0);
        EXPECT_EQ(sector[0], 0x30 + n);
        EXPECT_EQ(sector[255], 0x30 + n);
    }
    EXPECT_EQ(readFileSector(&back, ".", "copy", 3, sector), 224);
    EXPECT_EQ(openSectorFile(&back, ".", "MISSING"), 224);

    FileRequest protect = Request();
    ASSERT_EQ(setProtection(&protect, ".", "COPY", 1), 0);
    EXPECT_EQ(createSectorFile(&request, ".", "COPY"), 32);
}

} // namespace
} // namespace kestrel::testing
