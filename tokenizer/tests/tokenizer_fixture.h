// Runs the built Wendover32 as a caller would: loaded at run time, entered
// through ordinal 1, with its input, outputs and log in a private directory.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/library.h"

namespace kestrel::testing
{

using Bytes = std::vector<uint8_t>;
using XBTokenizeFn = int32_t (*)(const char *, const char *, const char *, const char *,
                                 const char *);

struct TokenizerRun {
    int32_t rc = -1;
    Bytes program; // whole file with header; empty when not written
    Bytes merge;
    std::vector<std::string> log; // lines without their line end
    bool programWritten = false;
    bool mergeWritten = false;
};

struct MergeRecord {
    uint16_t line;
    std::string tokens; // without the ending 0
};

class TokenizerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    std::string PathOf(const std::string &name) const { return (m_dir / name).string(); }
    void WriteText(const std::string &name, const std::string &text) const;

    // Tokenizes `text` (the content of the input file) into the asked outputs.
    TokenizerRun Run(const std::string &text, bool program, bool merge,
                     const std::string &options = "", bool log = true);
    // The tokens of the first line of a MERGE run of "10 " + statement.
    std::string TokensOf(const std::string &statement, const std::string &options = "");

    static XBTokenizeFn s_entry;

private:
    static platform::Library *s_library;
    std::filesystem::path m_dir;
};

Bytes ReadBytes(const std::string &path);
std::vector<std::string> ReadLines(const std::string &path);
// The records of a MERGE file body (behind the 128-byte header) up to the end record.
std::vector<MergeRecord> MergeRecords(const Bytes &file);
// The bytes as "C8 01 31" for readable failures.
std::string Hex(const std::string &bytes);
std::string Hex(const Bytes &bytes);

} // namespace kestrel::testing
