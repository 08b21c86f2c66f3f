// The line reader of the PC-to-TI conversion: text lines of at most 255
// characters out of a PC file's bytes, with tabs expanded and the line-end
// methods applied. Works on a byte buffer; no I/O.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrel
{

// The PC-to-TI methods, in the order of the dialog's list.
enum PcToTiMethod : int {
    kPcTiSelect = 0,
    kPcTiRemoveLineEnd = 1, // "Remove CR and/or LF (EDITOR/ASM)"
    kPcTiLineEndToCr = 2,   // "Convert CR/LF or LF to CR (TI WRITER)"
    kPcTiLineEndToLf = 3,   // "Convert CR/LF or CR to LF"
    kPcTiBinary = 4,        // "Binary (no conversion)"
};
constexpr int kPcTiMethodCount = 5;

constexpr size_t kMaxLineLength = 255;

struct TextLine {
    std::string text; // without its line end
    char lineEnd = 0; // '\r', '\n' or 0 at the end of the file
};

class LineReader
{
public:
    // tabWidth 0 leaves tabs as they are.
    LineReader(const uint8_t *data, size_t size, int tabWidth);

    // The next line; false at the end of the data. A CR or LF ends a line;
    // CR LF and LF CR count as one line end. A line reaching 255 characters
    // ends there, the rest forms the next line (a line end directly behind
    // it still belongs to it). A tab becomes spaces up to the next multiple
    // of the tab width, counted from the line's start.
    bool Next(TextLine &line);
    // Bytes consumed so far (the progress position).
    size_t Position() const { return m_position; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_position = 0;
    int m_tabWidth;
};

// The record text of a line under a method: method 1 drops the line end,
// 2 ends it with one CR, 3 with one LF. A zero byte ends the record there
// (the line end behind it is dropped too).
std::string ApplyLineEndMethod(const TextLine &line, int method);

} // namespace kestrel
