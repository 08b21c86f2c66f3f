// Replacing a PC file without ever losing it: when the target exists, the new
// content goes into a private file beside it (same directory, so the final
// rename stays on one file system) and takes the target's name only once it
// is complete. A free name is written in place, exclusively created, so that
// batches of new files cost what plain writes do (platform/safe_write.h).
// Until Commit() an existing target is untouched; a crash or a failed write
// leaves it exactly as it was. Nothing is synced to the medium per file.
#pragma once

#include <cstdint>
#include <string>

#include "platform/safe_write.h"
#include "tifs/pc_directory.h" // JoinPcPath

namespace kestrel
{

class ReplacingFile
{
public:
    ReplacingFile() = default;
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile &) = delete;
    ReplacingFile &operator=(const ReplacingFile &) = delete;

    // Starts the write: a new target is created (0666 less the umask), an
    // existing one gets a side file (0600 until Commit, when it takes the
    // target's mode). False with Error() set when neither can be made.
    bool Open(const std::string &target);
    // Appends; false on a short write (the file is then spoilt: Commit fails).
    bool Write(const uint8_t *data, size_t length);
    // Overwrites at a byte offset of what was written so far (a header that
    // is only known at the end); false when the offset lies beyond the end.
    bool WriteAt(uint64_t offset, const uint8_t *data, size_t length);
    // Writes what is buffered and closes; a side file is renamed over the
    // target. False when anything failed before or now; the target is then as
    // it was before (a new one is removed).
    bool Commit();
    // Drops the side file. With keepWhenNew set and no target before, the
    // partial content is put in place instead (a failed conversion keeps
    // what it wrote when there was nothing to protect).
    void Abandon(bool keepWhenNew = false);

    bool IsOpen() const { return m_writer.IsOpen(); }
    bool TargetExisted() const { return m_reserved ? m_targetExisted : m_writer.TargetExisted(); }
    uint64_t Size() const { return m_writer.Size(); }
    const std::string &Target() const { return m_target; }
    // The side file of Reserve (the tokenizer writes there itself).
    const std::string &SidePath() const { return m_side; }
    int Error() const { return m_reserved ? m_error : m_writer.Error(); }

    // Opens only the side name, without a stream: for a writer outside our
    // control (a library) that creates the file at SidePath() itself.
    bool Reserve(const std::string &target);

private:
    void DropReserved();

    std::string m_target;
    platform::SafeFileWriter m_writer;
    // Reserve: a side file that someone else fills.
    std::string m_side;
    bool m_reserved = false;
    bool m_targetExisted = false;
    int m_error = 0;
};

// True when both paths name the same existing file (or, when either does not
// exist, when their absolute normal forms are equal).
bool SamePcFile(const std::string &a, const std::string &b);

} // namespace kestrel
