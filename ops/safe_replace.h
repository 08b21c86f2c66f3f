// Replacing a PC file without ever losing it: the new content goes into a
// private file beside the target (same directory, so the final rename stays
// on one file system) and takes the target's name only once it is complete.
// Until Commit() an existing target is untouched; a crash or a failed write
// leaves it exactly as it was.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

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

    // Creates the side file for target (mode 0600 until Commit, when it gets
    // the target's mode, or 0666 less the umask for a new file). False with
    // Error() set when the side file cannot be made.
    bool Open(const std::string &target);
    // Appends; false on a short write (the file is then spoilt: Commit fails).
    bool Write(const uint8_t *data, size_t length);
    // Overwrites at a byte offset of what was written so far (a header that
    // is only known at the end); false when the offset lies beyond the end.
    bool WriteAt(uint64_t offset, const uint8_t *data, size_t length);
    // Flushes, closes and renames the side file over the target. False when
    // anything failed before or now; the target is then as it was before.
    bool Commit();
    // Drops the side file. With keepWhenNew set and no target before, the
    // partial content is put in place instead (a failed conversion keeps
    // what it wrote when there was nothing to protect).
    void Abandon(bool keepWhenNew = false);

    bool IsOpen() const { return m_file != nullptr; }
    bool TargetExisted() const { return m_targetExisted; }
    uint64_t Size() const { return m_size; }
    const std::string &Target() const { return m_target; }
    // The side file's path (the tokenizer writes there itself).
    const std::string &SidePath() const { return m_side; }
    int Error() const { return m_error; }

    // Opens only the side name, without a stream: for a writer outside our
    // control (a library) that creates the file at SidePath() itself.
    bool Reserve(const std::string &target);

private:
    std::string m_target;
    std::string m_side;
    std::FILE *m_file = nullptr;
    uint64_t m_size = 0;
    uint64_t m_position = 0;
    bool m_targetExisted = false;
    bool m_failed = false;
    bool m_active = false;
    int m_error = 0;
};

// True when both paths name the same existing file (or, when either does not
// exist, when their absolute normal forms are equal).
bool SamePcFile(const std::string &a, const std::string &b);

} // namespace kestrel
