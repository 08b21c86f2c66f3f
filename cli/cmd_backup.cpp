// backup DRIVE IMAGE: a whole hard disk or CF7A+ card into an image file.
// restore [--yes] IMAGE DRIVE: an image back onto a drive; a card image
// (header "CF7") is restored as a card, anything else as a hard disk. The
// restore asks before it writes. On a terminal both show a progress line.
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "drives/backup_restore.h"
#include "drives/physical_drives.h"

namespace kestrel::cli
{

namespace
{

// Passes everything to the command's Ui and draws the status text as one
// line on stderr when that is a terminal.
class ProgressLineUi : public Ui
{
public:
    explicit ProgressLineUi(TerminalUi &inner) : m_inner(inner), m_tty(isatty(STDERR_FILENO) != 0)
    {
    }
    ~ProgressLineUi() override { EndLine(); }

    void ShowError(const std::string &text) override
    {
        EndLine();
        m_inner.ShowError(text);
    }
    Answer AskErrorQuestion(const std::string &text) override
    {
        EndLine();
        return m_inner.AskErrorQuestion(text);
    }
    void ShowDsrError(const std::string &text) override { m_inner.ShowDsrError(text); }
    void ShowInfo(const std::string &text) override { m_inner.ShowInfo(text); }
    void ShowWarning(const std::string &text) override
    {
        EndLine();
        m_inner.ShowWarning(text);
    }
    void ShowKestrelError(const std::string &text) override
    {
        EndLine();
        m_inner.ShowKestrelError(text);
    }
    Answer AskQuestion(const std::string &text, QuestionButtons buttons) override
    {
        EndLine();
        return m_inner.AskQuestion(text, buttons);
    }
    Answer AskOverwrite(const std::string &text) override { return m_inner.AskOverwrite(text); }
    bool ChooseFile(bool save, const std::string &title, const std::string &filter,
                    const std::string &extension, const std::string &startDir,
                    std::string &name) override
    {
        return m_inner.ChooseFile(save, title, filter, extension, startDir, name);
    }
    void SetStatusText(const std::string &text) override
    {
        if (m_tty) {
            std::fprintf(stderr, "\r%s", text.c_str());
            std::fflush(stderr);
            m_open = true;
        }
    }

private:
    void EndLine()
    {
        if (m_open) {
            std::fputc('\n', stderr);
            m_open = false;
        }
    }

    TerminalUi &m_inner;
    bool m_tty;
    bool m_open = false;
};

bool ParseLetter(const std::string &text, char &letter)
{
    if ((text.size() == 1 || (text.size() == 2 && text[1] == ':')) &&
        ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'))) {
        letter = static_cast<char>(text[0] & ~0x20);
        return true;
    }
    return false;
}

const DriveItem *FindItem(const std::vector<DriveItem> &items, char letter)
{
    for (const DriveItem &item : items) {
        if (item.letter == letter) {
            return &item;
        }
    }
    return nullptr;
}

// The drive named by args[letterAt] among the drives that carry a TI image, after the
// answer flags are taken off args; null after a message.
const DriveItem *ChosenDrive(TerminalUi &terminal, std::vector<std::string> &args, size_t letterAt,
                             const char *expected, const char *usage, const char *noneChosen,
                             std::vector<DriveItem> &items)
{
    terminal.TakeAnswerFlags(args);
    char letter = 0;
    if (args.size() != 2 || !ParseLetter(args[letterAt], letter)) {
        std::fprintf(stderr, "kestrel-cli: %s expected\nusage: kestrel-cli %s\n", expected, usage);
        return nullptr;
    }
    items = FindPhysicalDrives(kWantHardDisks | kWantCards);
    if (items.empty()) {
        terminal.ShowWarning("No physical drive with a SCSI, IDE, WDS or CF7A+ image found.");
        return nullptr;
    }
    const DriveItem *item = FindItem(items, letter);
    if (item == nullptr) {
        terminal.ShowWarning(noneChosen);
    }
    return item;
}

const char kBackupUsage[] = "backup DRIVE IMAGE";
const char kRestoreUsage[] = "restore [--yes] IMAGE DRIVE";

int RunBackup(CommandContext &context)
{
    TerminalUi &terminal = *context.ui;
    std::vector<std::string> args = context.args;
    std::vector<DriveItem> items;
    const DriveItem *item =
        ChosenDrive(terminal, args, 0, "DRIVE and IMAGE", kBackupUsage, "Select a disk to save.",
                    items);
    if (item == nullptr) {
        return 1;
    }
    ProgressLineUi ui(terminal);
    BackupResult result = BackupDrive(*item, args[1], ui);
    if (result == BackupResult::Cancelled) {
        std::fprintf(stderr, "kestrel-cli: backup cancelled\n");
    }
    return result == BackupResult::Done ? 0 : 1;
}

int RunRestore(CommandContext &context)
{
    TerminalUi &terminal = *context.ui;
    std::vector<std::string> args = context.args;
    std::vector<DriveItem> items;
    const DriveItem *item = ChosenDrive(terminal, args, 1, "IMAGE and DRIVE", kRestoreUsage,
                                        "Select a disk to restore.", items);
    if (item == nullptr) {
        return 1;
    }
    const char letter = item->letter;
    const bool asCard = IsCf7ImageFile(args[0]);
    std::string question = "Restore <" + args[0] + "> onto drive " + std::string(1, letter) +
                           ": [" + item->type + "] [" + item->label +
                           "]?\nEverything on the drive is overwritten.\n\nDo you really wish to "
                           "continue ?\n";
    if (terminal.AskQuestion(question, QuestionButtons::YesNo) != Answer::Yes) {
        std::fprintf(stderr, "kestrel-cli: nothing written\n");
        return 1;
    }
    ProgressLineUi ui(terminal);
    BackupResult result = RestoreDrive(args[0], letter, asCard, ui);
    if (result == BackupResult::Cancelled) {
        std::fprintf(stderr, "kestrel-cli: restore cancelled\n");
    }
    return result == BackupResult::Done ? 0 : 1;
}

} // namespace

KESTREL_CLI_COMMAND("backup", kBackupUsage, RunBackup);
KESTREL_CLI_COMMAND("restore", kRestoreUsage, RunRestore);

} // namespace kestrel::cli
