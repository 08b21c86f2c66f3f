// The demo hard-disk images: hd.img, one volume with files in its root and
// in nested directories, and parts.img, two partitions with their own files.
// Both are made the way the program makes them: a new image, then
// directories and files added through the hard-disk library.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "drives/hd_binding.h"
#include "drives/hd_file_ops.h"
#include "drives/hd_lister.h"
#include "drives/new_hd_image.h"
#include "ops/register_all.h"
#include "samples/sample.h"
#include "tifs/catalog.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel::samples
{
namespace
{

class StderrUi : public Ui
{
public:
    void ShowError(const std::string &text) override { Print("ERROR", text); }
    Answer AskErrorQuestion(const std::string &text) override
    {
        Print("ERROR", text);
        return Answer::Cancel;
    }
    void ShowDsrError(const std::string &text) override { Print("DSR ERROR", text); }
    void ShowInfo(const std::string &) override {}
    void ShowWarning(const std::string &text) override { Print("Kestrel", text); }
    Answer AskQuestion(const std::string &, QuestionButtons) override { return Answer::Yes; }
    Answer AskOverwrite(const std::string &) override { return Answer::Yes; }
    bool ChooseFile(bool, const std::string &, const std::string &, const std::string &,
                    const std::string &, std::string &) override
    {
        return false;
    }
    bool failed = false;

private:
    void Print(const char *caption, const std::string &text)
    {
        std::fprintf(stderr, "kestrel-samples: %s: %s\n", caption, text.c_str());
        failed = true;
    }
};

struct DemoFile {
    std::string name;
    bool program;
    std::vector<std::string> lines; // DIS/VAR 80 records, or the program's bytes as text
};

// DIS/VAR 80 records packed into sectors, each sector closed by 0xFF.
std::vector<uint8_t> VariableRecords(const std::vector<std::string> &lines, uint8_t &eof)
{
    std::vector<uint8_t> data;
    std::vector<uint8_t> sector;
    auto close = [&]() {
        eof = static_cast<uint8_t>(sector.size());
        sector.push_back(0xFF);
        sector.resize(256, 0);
        data.insert(data.end(), sector.begin(), sector.end());
        sector.clear();
    };
    for (std::string line : lines) {
        line.resize(std::min<size_t>(line.size(), 80));
        if (sector.size() + 1 + line.size() + 1 > 256) {
            close();
        }
        sector.push_back(static_cast<uint8_t>(line.size()));
        sector.insert(sector.end(), line.begin(), line.end());
    }
    close();
    return data;
}

bool WriteTiFile(const std::string &path, const DemoFile &file)
{
    TiFileDescriptor d;
    std::vector<uint8_t> data;
    if (file.program) {
        std::string text;
        for (const auto &l : file.lines) {
            text += l;
        }
        data.assign(text.begin(), text.end());
        d.flags = kFlagProgram;
        d.sectors = static_cast<uint16_t>((data.size() + 255) / 256);
        d.eofOffset = static_cast<uint8_t>(data.size() % 256);
        data.resize(size_t(d.sectors) * 256, 0);
    } else {
        uint8_t eof = 0;
        data = VariableRecords(file.lines, eof);
        d.flags = kFlagVariable;
        d.recordLength = 80;
        d.recordsPerSector = 3;
        d.sectors = static_cast<uint16_t>(data.size() / 256);
        d.level3Count = d.sectors;
        d.eofOffset = eof;
    }
    uint8_t header[kHeaderSize];
    MakeTifilesHeader(d, header);
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    bool ok = std::fwrite(header, 1, sizeof header, f) == sizeof header &&
              std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

// Writes the files to a staging folder and copies them into the location.
bool AddFiles(StderrUi &ui, Location &target, const std::string &staging,
              const std::vector<DemoFile> &files)
{
    std::filesystem::remove_all(staging);
    std::filesystem::create_directories(staging);
    for (const auto &file : files) {
        if (!WriteTiFile(staging + "/" + file.name, file)) {
            return false;
        }
    }
    Location source;
    source.path = source.startPath = staging;
    if (!OpenLocation(source, ui)) {
        return false;
    }
    std::vector<const CatalogEntry *> entries;
    for (const auto &e : source.entries) {
        if (IsTiFileKind(e->ti.kind)) {
            entries.push_back(e.get());
        }
    }
    bool ok = CopyEntriesToHd(ui, target, source, entries) == static_cast<int>(files.size());
    std::filesystem::remove_all(staging);
    return ok && !ui.failed;
}

// Enters the named entry of the location (a volume or a directory).
bool Enter(StderrUi &ui, Location &location, const std::string &name)
{
    const CatalogEntry *entry = FindEntryByName(location, name);
    return entry != nullptr && OpenEntry(location, *entry, ui);
}

bool MakeHdImages(const std::string &demoDir)
{
    // The library lies next to the program in the build's bin folder.
    std::error_code error;
    auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        ProgramSettings().dllDirectory = self.parent_path().string();
    }
    RegisterAllListers();
    StderrUi ui;
    const std::string staging = demoDir + "/.hd_staging";
    const std::vector<DemoFile> rootFiles = {
        {"README", false, {"A single-volume hard disk.", "Open UTIL for the tools."}},
        {"HELLO", true, {"\x00\x10 demo program image bytes", std::string(300, 'P')}},
    };
    const std::vector<DemoFile> utilFiles = {
        {"COPYTOOL", false, {"COPYTOOL copies files between volumes."}},
        {"NOTES", false, std::vector<std::string>(40, "Line of notes in a DIS/VAR 80 file.")},
    };
    const std::vector<DemoFile> deepFiles = {
        {"DEEPFILE", false, {"Two directories down."}},
    };

    Location pane;
    pane.path = pane.startPath = demoDir;
    if (!CreateNewHdImage(ui, pane, DescribeNewHdImage("hd", false, {"HARDDISK"}, {65536}))) {
        return false;
    }
    Location hd;
    hd.path = hd.startPath = demoDir;
    bool ok = OpenLocation(hd, ui) && Enter(ui, hd, "hd.img") &&
              AddFiles(ui, hd, staging, rootFiles) && CreateHdDirectory(ui, hd, "UTIL") == 0 &&
              Enter(ui, hd, "UTIL") && AddFiles(ui, hd, staging, utilFiles) &&
              CreateHdDirectory(ui, hd, "TOOLS") == 0 && Enter(ui, hd, "TOOLS") &&
              AddFiles(ui, hd, staging, deepFiles);
    if (!ok) {
        std::fprintf(stderr, "kestrel-samples: hd.img could not be filled\n");
        return false;
    }

    if (!CreateNewHdImage(ui, pane,
                          DescribeNewHdImage("parts", true, {"VOL1", "VOL2"}, {65536, 65536}))) {
        return false;
    }
    Location parts;
    parts.path = parts.startPath = demoDir;
    ok = OpenLocation(parts, ui) && Enter(ui, parts, "parts.img") && Enter(ui, parts, "VOL1") &&
         AddFiles(ui, parts, staging, rootFiles) && GoUp(parts, ui) && Enter(ui, parts, "VOL2") &&
         CreateHdDirectory(ui, parts, "UTIL") == 0 && Enter(ui, parts, "UTIL") &&
         AddFiles(ui, parts, staging, utilFiles) && CreateHdDirectory(ui, parts, "DEEP") == 0 &&
         Enter(ui, parts, "DEEP") && AddFiles(ui, parts, staging, deepFiles);
    UnloadHdLibrary(); // everything written back before the demo is used
    if (!ok) {
        std::fprintf(stderr, "kestrel-samples: parts.img could not be filled\n");
    }
    return ok;
}

} // namespace

KESTREL_SAMPLE(50, "hard-disk images", MakeHdImages);

} // namespace kestrel::samples
