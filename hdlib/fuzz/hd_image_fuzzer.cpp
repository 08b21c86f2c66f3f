// Opens a fuzzed hard-disk image with Brackenly32 and walks it the way the program's lister
// and file reader do, by ordinals only: 6, 7 and 10 over the root and each subdirectory, 29
// and 30 over each file, 33 over the first volume sectors; then creates, writes and deletes a
// directory and two files on it.
#include "hdlib/brackenly.h"
#include "platform/library.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

using namespace kestrel::brackenly;

namespace
{

struct Bound {
    OpenImageFn open;
    SelectVolumeFn select;
    OpenDirectoryFn openDirectory;
    DirectoryInfoFn info;
    NextCatalogEntryFn next;
    CloseFn close;
    OpenSectorFileFn openSectorFile;
    ReadFileSectorFn readFileSector;
    ReadVolumeSectorFn readVolumeSector;
    CreateDirectoryFn createDirectory;
    DeleteDirectoryFn deleteDirectory;
    OpenProgramWriteFn openProgramWrite;
    WriteProgramFn writeProgram;
    DeleteFileFn deleteFile;
    OpenRecordFileFn openRecord;
    WriteRecordFn writeRecord;
};

const Bound *Library()
{
    static kestrel::platform::Library library;
    static Bound bound;
    static bool loaded = false;
    if (!loaded) {
        if (!library.Load(BRACKENLY_PATH))
            return nullptr;
        bound.open = reinterpret_cast<OpenImageFn>(library.Ordinal(kOrdOpenImage));
        bound.select = reinterpret_cast<SelectVolumeFn>(library.Ordinal(kOrdSelectVolume));
        bound.openDirectory = reinterpret_cast<OpenDirectoryFn>(library.Ordinal(kOrdOpenDirectory));
        bound.info = reinterpret_cast<DirectoryInfoFn>(library.Ordinal(kOrdDirectoryInfo));
        bound.next = reinterpret_cast<NextCatalogEntryFn>(library.Ordinal(kOrdNextCatalogEntry));
        bound.close = reinterpret_cast<CloseFn>(library.Ordinal(kOrdClose));
        bound.openSectorFile =
            reinterpret_cast<OpenSectorFileFn>(library.Ordinal(kOrdOpenSectorFile));
        bound.readFileSector =
            reinterpret_cast<ReadFileSectorFn>(library.Ordinal(kOrdReadFileSector));
        bound.readVolumeSector =
            reinterpret_cast<ReadVolumeSectorFn>(library.Ordinal(kOrdReadVolumeSector));
        bound.createDirectory =
            reinterpret_cast<CreateDirectoryFn>(library.Ordinal(kOrdCreateDirectory));
        bound.deleteDirectory =
            reinterpret_cast<DeleteDirectoryFn>(library.Ordinal(kOrdDeleteDirectory));
        bound.openProgramWrite =
            reinterpret_cast<OpenProgramWriteFn>(library.Ordinal(kOrdOpenProgramWrite));
        bound.writeProgram = reinterpret_cast<WriteProgramFn>(library.Ordinal(kOrdWriteProgram));
        bound.deleteFile = reinterpret_cast<DeleteFileFn>(library.Ordinal(kOrdDeleteFile));
        bound.openRecord = reinterpret_cast<OpenRecordFileFn>(library.Ordinal(kOrdOpenRecordFile));
        bound.writeRecord = reinterpret_cast<WriteRecordFn>(library.Ordinal(kOrdWriteRecord));
        loaded = true;
    }
    return &bound;
}

FileRequest Request(const std::string &path)
{
    FileRequest request;
    std::memset(&request, 0, sizeof request);
    request.slot = 1;
    std::strncpy(request.path, path.c_str(), sizeof request.path - 1);
    return request;
}

void WalkDirectory(const Bound &lib, const std::string &path, int depth)
{
    FileRequest request = Request(path);
    CatalogEntryRecord entry;
    if (lib.openDirectory(&request) != 0 || lib.info(&request, &entry) != 0)
        return;
    std::string files[130];
    std::string dirs[120];
    int fileCount = 0;
    int dirCount = 0;
    for (int guard = 0; guard < 300 && lib.next(&request, &entry) == 0; ++guard) {
        if (entry.kind == 6 && dirCount < 120)
            dirs[dirCount++] = entry.name;
        else if (entry.kind != 6 && fileCount < 130)
            files[fileCount++] = entry.name;
    }
    lib.close(&request, 0);
    for (int k = 0; k < fileCount; ++k) {
        FileRequest file = Request("");
        if (lib.openSectorFile(&file, path.c_str(), files[k].c_str()) != 0)
            continue;
        uint8_t sector[256];
        for (uint32_t n = 0; n < file.sectors && n < 32; ++n)
            lib.readFileSector(&file, path.c_str(), files[k].c_str(), n, sector);
        lib.close(&file, 0);
    }
    if (depth < 3) {
        for (int k = 0; k < dirCount; ++k)
            WalkDirectory(lib, path + dirs[k] + ".", depth + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Bound *lib = Library();
    if (!lib)
        return 0;
    const std::string path = "/tmp/hd_image_fuzz_" + std::to_string(getpid()) + ".img";
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    if (lib->open(path.c_str()) == 0) {
        for (int volume = 0; volume < 4; ++volume) {
            if (lib->select(volume) == -1)
                continue;
            WalkDirectory(*lib, ".", 0);
            FileRequest request = Request("");
            uint8_t sector[256];
            for (uint32_t n = 0; n < 70; ++n)
                lib->readVolumeSector(&request, n, sector);
            // Changes on a damaged volume: they may fail, but must stay inside the volume.
            lib->createDirectory(&request, ".", "NEWDIR");
            FileRequest program = Request(".NEWDIR.PROG");
            if (lib->openProgramWrite(&program, 3) == 0) {
                static const uint8_t bytes[700] = {1, 2, 3};
                lib->writeProgram(&program, bytes, sizeof bytes);
                lib->close(&program, 0);
            }
            FileRequest text = Request(".TEXT");
            text.flags = 0x12; // OUTPUT, VARIABLE
            if (lib->openRecord(&text) == 0) {
                for (int k = 0; k < 8; ++k)
                    lib->writeRecord(&text, sector, 80);
                lib->close(&text, 0);
            }
            lib->deleteFile(&request, ".NEWDIR.PROG");
            lib->deleteFile(&request, ".TEXT");
            lib->deleteDirectory(&request, ".", "NEWDIR");
            WalkDirectory(*lib, ".", 2);
        }
    }
    std::remove(path.c_str());
    return 0;
}
