// The programs of basic1.dsk listed by Kestrel, tokenized again by the
// tokenizer library and listed again: the two listings must agree. How many
// of them come out as exactly the bytes the TI saved is a figure in the
// output, not a pass mark: the TI keeps some choices of its own in the
// tokens (see the tokenizer's own tests for which).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <iostream>

#include "tests/interop/interop_support.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"
#include "viewers/tifile_view.h"
#include "viewers/tokenizer_loader.h"

namespace kestrel::interop
{
namespace
{

bool WriteText(const std::string &path, const std::string &text)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool whole = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && whole;
}

// The bytes of a PROGRAM file up to its end-of-file offset.
std::vector<uint8_t> ProgramBytes(const TiData &ti)
{
    size_t size = ti.data.size();
    if (ti.eof != 0 && size >= 256) {
        size -= 256 - ti.eof;
    }
    return std::vector<uint8_t>(ti.data.begin(), ti.data.begin() + std::min(size, ti.data.size()));
}

std::string WithoutWhitespace(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (!std::isspace(static_cast<unsigned char>(c))) {
            out += c;
        }
    }
    return out;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Lists, tokenizes and lists again every basic1 program; strict compares the
// two listings character for character, else with whitespace removed.
void RoundTrip(bool strict)
{
    if (!fs::exists(Corpus("xdt99/disk/basic1.dsk"))) {
        GTEST_SKIP() << "the corpus " << KESTREL_REALDATA << " is not available";
    }
    RegisterLocationListers();
    testing::RecordingUi ui;
    if (!LoadTokenizerLibrary(ui, KESTREL_BIN_DIR) || TokenizerEntry() == nullptr) {
        GTEST_SKIP() << "the tokenizer library is not in " << KESTREL_BIN_DIR;
    }
    const fs::path temp = FreshTempDir("tokenizer");
    Location disk;
    ASSERT_TRUE(ResolveLocationPath(disk, Corpus("xdt99/disk/basic1.dsk"), ui));
    std::vector<CatalogEntry> programs;
    for (const auto &item : disk.entries) {
        const std::string name = TrimmedName(*item);
        if (item->ti.kind == kKindProgram && name.find('-') == std::string::npos) {
            programs.push_back(*item);
        }
    }
    ASSERT_EQ(7u, programs.size());
    unsigned exact = 0;
    std::string exactNames;
    for (const CatalogEntry &entry : programs) {
        const std::string name = TrimmedName(entry);
        SCOPED_TRACE(name);
        TextView first;
        ASSERT_TRUE(ComposeTiFileView(disk, entry, kViewAuto, (temp / "view.tmp").string(), ui,
                                      first));
        const std::string listing = (temp / (name + ".txt")).string();
        const std::string program = (temp / (name + ".prg")).string();
        ASSERT_TRUE(WriteText(listing, first.text));
        ASSERT_EQ(0, TokenizerEntry()(listing.c_str(), program.c_str(), "", "", ""));

        Location again;
        ASSERT_TRUE(ResolveLocationPath(again, temp.string(), ui));
        const CatalogEntry *tokenized = FindEntryByName(again, name + ".prg");
        ASSERT_NE(nullptr, tokenized);
        const CatalogEntry tokenizedEntry = *tokenized;
        TextView second;
        ASSERT_TRUE(ComposeTiFileView(again, tokenizedEntry, kViewAuto,
                                      (temp / "view.tmp").string(), ui, second));
        if (strict) {
            EXPECT_EQ(first.text, second.text);
        } else {
            EXPECT_EQ(WithoutWhitespace(first.text), WithoutWhitespace(second.text));
            const auto a = Lines(first.text), b = Lines(second.text);
            for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
                if (a[i] != b[i]) {
                    std::cout << "[corpus]   " << name << " lists \"" << a[i].substr(0, 40)
                              << "\" and again \"" << b[i].substr(0, 40) << "\"\n";
                }
            }
        }

        TiData ours, theirs;
        ASSERT_TRUE(ReadTiData(program, ours));
        const std::string saved = (temp / (name + ".ti")).string();
        ASSERT_TRUE(SaveEntry(disk, entry, saved, ui));
        ASSERT_TRUE(ReadTiData(saved, theirs));
        const bool same = ProgramBytes(ours) == ProgramBytes(theirs);
        std::cout << "[corpus] basic1.dsk " << name << ": listing tokenized again lists alike; "
                  << (same ? "the TI's own bytes" : "bytes differ from the TI's") << "\n";
        if (same) {
            ++exact;
            exactNames += " " + name;
        }
    }
    std::cout << "[corpus] " << exact << " of " << programs.size()
              << " basic1 programs tokenize to exactly the TI's bytes:" << exactNames << "\n";
    ::testing::Test::RecordProperty("ExactTokenizations", static_cast<int>(exact));
    EXPECT_TRUE(ui.Silent());
    fs::remove_all(temp);
}

TEST(TokenizerRoundTrip, Basic1ProgramsListTheSameAfterTokenizingTheirListings)
{
    RoundTrip(false);
}

// Fault between the lister and the tokenizer: the lister writes a blank
// after REM (and "!") even when the stored remark begins with one, while the
// tokenizer, like the TI, keeps every blank after REM as part of the remark.
// So each listing-and-tokenizing round adds one blank to every remark that
// begins with a blank ("2 REM A B C" is stored as REM " A B C" and listed
// "2 REM  A B C"). Enable when the lister leaves out its blank there.
TEST(TokenizerRoundTrip, DISABLED_ListingsAreIdenticalCharacterForCharacter)
{
    RoundTrip(true);
}

} // namespace
} // namespace kestrel::interop
