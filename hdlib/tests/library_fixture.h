// Loads Brackenly32 the way the program does, through platform::Library and LibraryOrdinal,
// binds all 35 ordinals, and offers small helpers over requests, images and listings.
#pragma once

#include "hdlib/brackenly.h"
#include "platform/library.h"
#include "tests/support/hd_image_builder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace kestrel::testing
{

using namespace kestrel::brackenly;

struct Listed {
    std::string name;
    int kind;
    CatalogEntryRecord record;
};

class BrackenlyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_library.Load(BRACKENLY_PATH)) << m_library.ErrorText();
        Bind(open, kOrdOpenImage);
        Bind(close, kOrdCloseImage);
        Bind(selectVolume, kOrdSelectVolume);
        Bind(selectBySector, kOrdSelectVolumeBySector);
        Bind(openDirectory, kOrdOpenDirectory);
        Bind(directoryInfo, kOrdDirectoryInfo);
        Bind(totalSectors, kOrdTotalSectors);
        Bind(freeSectors, kOrdFreeSectors);
        Bind(nextEntry, kOrdNextCatalogEntry);
        Bind(openRecord, kOrdOpenRecordFile);
        Bind(closeFile, kOrdClose);
        Bind(readRecord, kOrdReadRecord);
        Bind(writeRecord, kOrdWriteRecord);
        Bind(restore, kOrdRestore);
        Bind(openProgramRead, kOrdOpenProgramRead);
        Bind(readProgram, kOrdReadProgram);
        Bind(openProgramWrite, kOrdOpenProgramWrite);
        Bind(writeProgram, kOrdWriteProgram);
        Bind(deleteFile, kOrdDeleteFile);
        Bind(fileStatus, kOrdFileStatus);
        Bind(endOfFile, kOrdEndOfFile);
        Bind(isProtected, kOrdIsProtected);
        Bind(setProtection, kOrdSetProtection);
        Bind(renameFile, kOrdRenameFile);
        Bind(renameDirectory, kOrdRenameDirectory);
        Bind(createDirectory, kOrdCreateDirectory);
        Bind(deleteDirectory, kOrdDeleteDirectory);
        Bind(openSectorFile, kOrdOpenSectorFile);
        Bind(readFileSector, kOrdReadFileSector);
        Bind(createSectorFile, kOrdCreateSectorFile);
        Bind(writeFileSector, kOrdWriteFileSector);
        Bind(readVolumeSector, kOrdReadVolumeSector);
        Bind(writeVolumeSector, kOrdWriteVolumeSector);
        Bind(deviceIdentity, kOrdDeviceIdentity);
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = (std::filesystem::temp_directory_path() /
                  ("hdlib_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" +
                   info->name() + ".img"))
                     .string();
    }

    void TearDown() override
    {
        if (close)
            close();
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }

    template <typename F> void Bind(F &function, unsigned ordinal)
    {
        function = reinterpret_cast<F>(m_library.Ordinal(ordinal));
        ASSERT_NE(function, nullptr) << "ordinal " << ordinal;
    }

    // Writes the image to this test's file and opens it with ordinal 2.
    void Open(const std::vector<uint8_t> &image)
    {
        ASSERT_TRUE(WriteHdImageFile(m_path, image));
        ASSERT_EQ(open(m_path.c_str()), 0);
    }

    std::vector<uint8_t> Image() { return ReadHdImageFile(m_path); }

    static FileRequest Request(const std::string &path = "", uint8_t flags = 0)
    {
        FileRequest request;
        std::memset(&request, 0, sizeof request);
        request.slot = 1;
        request.flags = flags;
        std::strncpy(request.path, path.c_str(), sizeof request.path - 1);
        return request;
    }

    // Ordinals 6, 7 and 10 until 160, then 12: what the program does to list a directory.
    std::vector<Listed> List(const std::string &path, int32_t *last = nullptr)
    {
        std::vector<Listed> listed;
        FileRequest request = Request(path);
        CatalogEntryRecord entry;
        int32_t result = openDirectory(&request);
        if (result == 0)
            result = directoryInfo(&request, &entry);
        for (int guard = 0; result == 0 && guard < 1000; ++guard) {
            result = nextEntry(&request, &entry);
            if (result == 0)
                listed.push_back({entry.name, entry.kind, entry});
        }
        if (last)
            *last = result;
        closeFile(&request, result == kEndOfFile ? 0 : result);
        return listed;
    }

    static constexpr int32_t kEndOfFile = 160;

    // A PROGRAM file written through ordinals 18, 19 and 12.
    int32_t WriteProgramFile(const std::string &path, const std::vector<uint8_t> &bytes)
    {
        FileRequest request = Request(path);
        int32_t result = openProgramWrite(&request, 0);
        if (result != 0)
            return result;
        result = writeProgram(&request, bytes.data(), static_cast<int32_t>(bytes.size()));
        return closeFile(&request, result);
    }

    // A PROGRAM file read back through ordinals 16, 17 and 12.
    std::vector<uint8_t> ReadProgramFile(const std::string &path, int32_t *result = nullptr)
    {
        std::vector<uint8_t> bytes;
        FileRequest request = Request(path, 0x01);
        int32_t status = openProgramRead(&request);
        uint8_t chunk[1000];
        for (int guard = 0; status == 0 && guard < 10000; ++guard) {
            request.recordLength = 700;
            status = readProgram(&request, chunk);
            if (status == 0)
                bytes.insert(bytes.end(), chunk, chunk + request.recordLength);
        }
        if (result)
            *result = status;
        closeFile(&request, 0);
        return bytes;
    }

    platform::Library m_library;
    std::string m_path;

    OpenImageFn open = nullptr;
    CloseImageFn close = nullptr;
    SelectVolumeFn selectVolume = nullptr;
    SelectVolumeBySectorFn selectBySector = nullptr;
    OpenDirectoryFn openDirectory = nullptr;
    DirectoryInfoFn directoryInfo = nullptr;
    TotalSectorsFn totalSectors = nullptr;
    FreeSectorsFn freeSectors = nullptr;
    NextCatalogEntryFn nextEntry = nullptr;
    OpenRecordFileFn openRecord = nullptr;
    CloseFn closeFile = nullptr;
    ReadRecordFn readRecord = nullptr;
    WriteRecordFn writeRecord = nullptr;
    RestoreFn restore = nullptr;
    OpenProgramReadFn openProgramRead = nullptr;
    ReadProgramFn readProgram = nullptr;
    OpenProgramWriteFn openProgramWrite = nullptr;
    WriteProgramFn writeProgram = nullptr;
    DeleteFileFn deleteFile = nullptr;
    FileStatusFn fileStatus = nullptr;
    EndOfFileFn endOfFile = nullptr;
    IsProtectedFn isProtected = nullptr;
    SetProtectionFn setProtection = nullptr;
    RenameFileFn renameFile = nullptr;
    RenameDirectoryFn renameDirectory = nullptr;
    CreateDirectoryFn createDirectory = nullptr;
    DeleteDirectoryFn deleteDirectory = nullptr;
    OpenSectorFileFn openSectorFile = nullptr;
    ReadFileSectorFn readFileSector = nullptr;
    CreateSectorFileFn createSectorFile = nullptr;
    WriteFileSectorFn writeFileSector = nullptr;
    ReadVolumeSectorFn readVolumeSector = nullptr;
    WriteVolumeSectorFn writeVolumeSector = nullptr;
    DeviceIdentityFn deviceIdentity = nullptr;
};

inline std::vector<std::string> Names(const std::vector<Listed> &listed)
{
    std::vector<std::string> names;
    for (const Listed &entry : listed)
        names.push_back(entry.name);
    return names;
}

} // namespace kestrel::testing
