#include "app/shell/edit_document.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "tifs/messages.h"

namespace kestrel
{

namespace
{

constexpr int kCantWrite = 5;
constexpr int kInvalidFilename = 16;
constexpr const char *kSaveAsFilter = "Text File(*.TXT)|*.txt|All Files (*.*)|*.*|";

bool IsReplacedByAt(char c)
{
    switch (c) {
    case '"':
    case '*':
    case '/':
    case ':':
    case '<':
    case '>':
    case '?':
    case '\\':
    case '|':
        return true;
    default:
        return false;
    }
}

} // namespace

std::string DefaultSaveAsName(const std::string &slotName)
{
    std::string name;
    for (char c : slotName) {
        if (c == ' ' || c == '\0' || name.size() == 10)
            break;
        name += IsReplacedByAt(c) ? '@' : c;
    }
    return name + ".txt";
}

std::string SaveQuestionText(const std::string &fileName)
{
    return "Save current changes? " + fileName;
}

std::string &SaveDirectory()
{
    static std::string directory = [] {
        std::error_code ec;
        std::string current = std::filesystem::current_path(ec).string();
        return ec ? std::string(".") : current;
    }();
    return directory;
}

bool WriteEditText(const std::string &path, const std::string &text, Ui &ui)
{
    // The new text goes to a file beside the target first, so a failing
    // disk never leaves the old file half overwritten.
    const std::string scratch = path + ".kestrel-save";
    bool written = false;
    {
        std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
        if (out) {
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            out.flush();
            written = static_cast<bool>(out);
        }
    }
    std::error_code ec;
    if (written) {
        std::filesystem::rename(scratch, path, ec);
        written = !ec;
    }
    if (!written) {
        std::filesystem::remove(scratch, ec);
        ReportError(ui, kCantWrite, {path});
    }
    return written;
}

bool SaveEditText(EditText &window, const std::string &path, Ui &ui)
{
    if (!WriteEditText(path, window.Text(), ui))
        return false;
    window.SetModified(false);
    return true;
}

SaveAsResult SaveEditAs(EditText &window, EditSlot &slot, Ui &ui)
{
    std::string name = DefaultSaveAsName(slot.name);
    if (!ui.ChooseFile(true, "Save as", kSaveAsFilter, "", SaveDirectory(), name))
        return SaveAsResult::Cancelled;
    const std::filesystem::path chosen(name);
    if (name.empty() || !chosen.has_filename()) {
        ReportError(ui, kInvalidFilename, {name});
        return SaveAsResult::Cancelled;
    }
    if (chosen.has_parent_path())
        SaveDirectory() = chosen.parent_path().string();
    if (!SaveEditText(window, name, ui))
        return SaveAsResult::WriteFailed;
    slot.fileName = name;
    window.SetCaption(std::string(kProgramName) + " - " + name);
    return SaveAsResult::Written;
}

bool QueryCloseEdit(EditText &window, EditSlot &slot, Ui &ui)
{
    if (!window.Modified())
        return true;
    switch (ui.AskQuestion(SaveQuestionText(slot.fileName), QuestionButtons::YesNoCancel)) {
    case Answer::Yes:
        if (slot.fileName.empty())
            return SaveEditAs(window, slot, ui) == SaveAsResult::Written;
        return SaveEditText(window, slot.fileName, ui);
    case Answer::No:
        return true;
    default:
        return false;
    }
}

} // namespace kestrel
