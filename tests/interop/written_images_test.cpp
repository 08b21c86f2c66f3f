// Images Kestrel writes: copies of the corpus's empty disks (and the two
// formatted by TI software) filled by the floppy writer, thinned out by
// deleting, renamed, filled again, must pass the disk check and keep every
// file's records.
#include <gtest/gtest.h>

#include <iostream>
#include <map>

#include "tests/interop/interop_support.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/disk_check/disk_check.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/location_listers.h"

namespace kestrel::interop
{
namespace
{

struct Source {
    std::string path;  // the corpus location that shows it
    std::string name;  // its name there
    std::string tiName; // trimmed TI name it gets on the disk
    unsigned sectors = 0;
};

TEST(WrittenImages, FilledThinnedAndRenamedDisksPassTheCheck)
{
    if (!fs::exists(Corpus("xdt99/disk/blankSSSD.dsk"))) {
        GTEST_SKIP() << "the corpus " << KESTREL_REALDATA << " is not available";
    }
    RegisterLocationListers();
    const fs::path temp = FreshTempDir("written");
    testing::RecordingUi ui;

    // What goes on the disks: the programs of basic1.dsk (saved out of a disk
    // image on the way) and the TIFILES files of the corpus, each TI name once.
    std::vector<Source> sources;
    std::map<std::string, std::vector<std::string>> recordsOf;
    for (const char *where : {"xdt99/disk/basic1.dsk", "xdt99/files"}) {
        Location location;
        ASSERT_TRUE(ResolveLocationPath(location, Corpus(where), ui));
        for (const auto &item : location.entries) {
            const CatalogEntry &entry = *item;
            const bool pc = location.kind == kLocPcDirectory;
            if (!IsTiFileKind(entry.ti.kind) ||
                (pc && entry.pcName.find(".tfi") == std::string::npos) ||
                recordsOf.count(TrimmedName(entry)) != 0) {
                continue;
            }
            const std::string saved =
                pc ? (fs::path(Corpus(where)) / entry.pcName).string()
                   : (temp / "source.tmp").string();
            if (!pc) {
                ASSERT_TRUE(SaveEntry(location, entry, saved, ui)) << entry.pcName;
            }
            TiData data;
            ASSERT_TRUE(ReadTiData(saved, data));
            recordsOf[TrimmedName(entry)] =
                (data.flags & 1) ? std::vector<std::string>{std::string(data.data.begin(),
                                                                        data.data.end())}
                                 : Records(data);
            sources.push_back({Corpus(where), pc ? entry.pcName : TrimmedName(entry),
                               TrimmedName(entry), entry.ti.sectors});
        }
    }
    ASSERT_GE(sources.size(), 40u);

    for (const char *image : {"blankSSSD.dsk", "blankSSDD.dsk", "blankDSSD.dsk", "blankDSDD.dsk",
                              "tisssd.dsk", "tidsdd.dsk"}) {
        SCOPED_TRACE(image);
        std::cout << "[corpus] " << image << " filled, thinned and renamed\n";
        const fs::path copy = temp / image;
        fs::copy_file(Corpus(std::string("xdt99/disk/") + image), copy);
        FloppyTarget target;
        target.imagePath = copy.string();
        DiskCheckResult result;
        ASSERT_TRUE(CheckDiskImage(copy.string(), 0, result, ui));
        Location disk;
        ASSERT_TRUE(ResolveLocationPath(disk, copy.string(), ui));
        unsigned free = 0;
        {
            FileImage bytes;
            ASSERT_TRUE(bytes.Open(copy.string(), false));
            uint8_t vib[256];
            ASSERT_TRUE(bytes.ReadAt(0, vib, sizeof vib));
            free = ((vib[10] << 8) | vib[11]) - result.sectorsInUse;
        }
        const size_t before = disk.entries.size();

        // Fill with what fits, leaving room for the second round.
        std::map<std::string, std::string> onDisk; // TI name -> source name
        AddFileState state;
        size_t next = 0;
        auto add = [&](unsigned reserve) {
            for (; next < sources.size(); ++next) {
                const Source &source = sources[next];
                if (source.sectors + 1 + reserve > free) {
                    continue;
                }
                Location from;
                ASSERT_TRUE(ResolveLocationPath(from, source.path, ui));
                const CatalogEntry *entry = FindEntryByName(from, source.name);
                ASSERT_NE(nullptr, entry);
                const CatalogEntry copyOfEntry = *entry;
                ASSERT_EQ(kAddDone, AddEntryToImage(target, from, copyOfEntry, state, ui));
                free -= source.sectors + 1;
                onDisk[source.tiName] = source.tiName;
            }
        };
        add(30);
        ASSERT_GE(onDisk.size(), 10u);

        // Delete every third file, rename every fourth.
        Location listed;
        ASSERT_TRUE(ResolveLocationPath(listed, copy.string(), ui));
        std::vector<CatalogEntry> entries;
        for (const auto &item : listed.entries) {
            if (onDisk.count(TrimmedName(*item))) {
                entries.push_back(*item);
            }
        }
        for (size_t i = 0; i < entries.size(); ++i) {
            const std::string name = TrimmedName(entries[i]);
            if (i % 3 == 0) {
                ASSERT_TRUE(DeleteFileFromImage(target, entries[i], ui)) << name;
                free += entries[i].ti.sectors + 1;
                onDisk.erase(name);
            } else if (i % 4 == 1) {
                const std::string newName = "R" + std::to_string(i) + name.substr(0, 5);
                std::string padded = newName;
                padded.resize(10, ' ');
                ASSERT_TRUE(RenameFileInImage(target, entries[i], padded, newName, ui)) << name;
                onDisk.erase(name);
                onDisk[newName] = name;
            }
        }
        // And fill the holes again (the files land in fragments).
        next = 0;
        std::vector<Source> rest;
        for (const Source &source : sources) {
            if (onDisk.count(source.tiName) == 0) {
                bool renamedAway = false;
                for (const auto &[ti, origin] : onDisk) {
                    renamedAway = renamedAway || origin == source.tiName;
                }
                if (!renamedAway) {
                    rest.push_back(source);
                }
            }
        }
        std::swap(sources, rest);
        add(0);
        std::swap(sources, rest);
        EXPECT_TRUE(ui.Silent());

        ASSERT_TRUE(CheckDiskImage(copy.string(), 0, result, ui));
        std::cout << "[corpus]   " << result.summary << "\n";
        for (const std::string &line : result.findings) {
            std::cout << "[corpus]   " << line << "\n";
        }
        EXPECT_TRUE(result.Clean());

        // Every file holds what its source held.
        Location final;
        ASSERT_TRUE(ResolveLocationPath(final, copy.string(), ui));
        EXPECT_EQ(before + onDisk.size(), final.entries.size());
        for (const auto &item : final.entries) {
            const std::string name = TrimmedName(*item);
            if (onDisk.count(name) == 0) {
                continue;
            }
            const std::string saved = (temp / "back.tmp").string();
            ASSERT_TRUE(SaveEntry(final, *item, saved, ui));
            TiData data;
            ASSERT_TRUE(ReadTiData(saved, data));
            const std::vector<std::string> records =
                (data.flags & 1) ? std::vector<std::string>{std::string(data.data.begin(),
                                                                        data.data.end())}
                                 : Records(data);
            EXPECT_EQ(recordsOf[onDisk[name]], records) << name;
        }
    }
    fs::remove_all(temp);
}

} // namespace
} // namespace kestrel::interop
