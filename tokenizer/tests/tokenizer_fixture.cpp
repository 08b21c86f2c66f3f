#include "tokenizer_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kestrel::testing
{

XBTokenizeFn TokenizerTest::s_entry = nullptr;
platform::Library *TokenizerTest::s_library = nullptr;

void TokenizerTest::SetUpTestSuite()
{
    s_library = new platform::Library;
    const std::string path =
        std::string(KESTREL_BIN_DIR) + "/" + platform::LibraryFileName("Wendover32");
    if (s_library->Load(path))
        s_entry = reinterpret_cast<XBTokenizeFn>(s_library->Ordinal(1));
}

void TokenizerTest::TearDownTestSuite()
{
    s_entry = nullptr;
    delete s_library;
    s_library = nullptr;
}

void TokenizerTest::SetUp()
{
    ASSERT_NE(s_entry, nullptr) << "Wendover32 not loadable from " KESTREL_BIN_DIR;
    std::string templ = (std::filesystem::temp_directory_path() / "wendover-XXXXXX").string();
    ASSERT_NE(mkdtemp(templ.data()), nullptr);
    m_dir = templ;
}

void TokenizerTest::TearDown()
{
    std::error_code ec;
    if (!m_dir.empty())
        std::filesystem::remove_all(m_dir, ec);
}

void TokenizerTest::WriteText(const std::string &name, const std::string &text) const
{
    std::ofstream out(PathOf(name), std::ios::binary);
    out << text;
}

TokenizerRun TokenizerTest::Run(const std::string &text, bool program, bool merge,
                                const std::string &options, bool log)
{
    WriteText("in.txt", text);
    std::error_code ec;
    std::filesystem::remove(PathOf("out.prg"), ec);
    std::filesystem::remove(PathOf("out.mrg"), ec);
    TokenizerRun run;
    const std::string in = PathOf("in.txt");
    const std::string prg = program ? PathOf("out.prg") : "";
    const std::string mrg = merge ? PathOf("out.mrg") : "";
    const std::string lg = log ? PathOf("run.log") : "";
    run.rc = s_entry(in.c_str(), prg.c_str(), mrg.c_str(), lg.c_str(), options.c_str());
    run.programWritten = std::filesystem::exists(PathOf("out.prg"));
    run.mergeWritten = std::filesystem::exists(PathOf("out.mrg"));
    if (run.programWritten)
        run.program = ReadBytes(PathOf("out.prg"));
    if (run.mergeWritten)
        run.merge = ReadBytes(PathOf("out.mrg"));
    if (log)
        run.log = ReadLines(PathOf("run.log"));
    return run;
}

std::string TokenizerTest::TokensOf(const std::string &statement, const std::string &options)
{
    const TokenizerRun run = Run("10 " + statement + "\n", false, true, options);
    EXPECT_EQ(run.rc, 0) << statement;
    const auto records = MergeRecords(run.merge);
    if (records.empty())
        return "<no record>";
    return records[0].tokens;
}

Bytes ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> ReadLines(const std::string &path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::vector<MergeRecord> MergeRecords(const Bytes &file)
{
    std::vector<MergeRecord> out;
    for (size_t sector = 128; sector + 256 <= file.size(); sector += 256) {
        size_t p = 0;
        while (p < 256 && file[sector + p] != 0xFF && file[sector + p] != 0) {
            const size_t len = file[sector + p];
            if (p + 1 + len > 256 || len < 3)
                return out;
            const uint8_t *r = &file[sector + p + 1];
            const uint16_t line = static_cast<uint16_t>(r[0] << 8 | r[1]);
            if (line == 0xFFFF)
                return out;
            out.push_back({line, std::string(reinterpret_cast<const char *>(r + 2), len - 3)});
            p += 1 + len;
        }
    }
    return out;
}

std::string Hex(const std::string &bytes)
{
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02X", c);
        if (!out.empty())
            out += ' ';
        out += b;
    }
    return out;
}

std::string Hex(const Bytes &bytes)
{
    return Hex(std::string(bytes.begin(), bytes.end()));
}

} // namespace kestrel::testing
