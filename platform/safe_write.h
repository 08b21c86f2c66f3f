// Writing a PC file so that an existing file of that name is replaced only
// once the new content is complete, at the price of a plain write wherever
// nothing is replaced.
//
// A name that is free is created in place (exclusively, so a file that
// appears under it meanwhile is never overwritten) and written directly: no
// side file, no rename, one inode. Only a name that exists gets a side file
// beside it (same directory, so the rename stays on one file system) with a
// unique name, which takes the target's name and mode at Commit. Until then
// the existing file is untouched; a failed or abandoned write leaves it as it
// was, and removes what it created under a new name unless told to keep it.
//
// Writes are gathered in a buffer of the writer's own and reach the system in
// large pieces (a small file in one call at Commit). Nothing is synced to the
// medium per file: the rename of a complete file is what protects the old
// content, and a batch of thousands of files must not wait for the disk once
// for each. Never throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::platform
{

class SafeFileWriter
{
public:
    SafeFileWriter() = default;
    // Abandons an open write (a new file's partial content is removed).
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter &) = delete;
    SafeFileWriter &operator=(const SafeFileWriter &) = delete;

    // Starts the write of target. False with Error() set when neither the
    // target nor a side file could be created.
    bool Open(const std::string &target);
    // Appends; false on a failed write (the file is then spoilt and Commit fails).
    bool Write(const uint8_t *data, size_t length);
    // Overwrites at a byte offset of what was written so far (a header known
    // only at the end); false when the offset lies beyond the end.
    bool WriteAt(uint64_t offset, const uint8_t *data, size_t length);
    // Writes what is buffered and closes; a side file then takes the target's
    // mode and name. False when anything failed before or now; the write is
    // then abandoned, keeping a new file's partial content when keepNewOnFailure
    // is set.
    bool Commit(bool keepNewOnFailure = false);
    // Drops the write: the side file goes, and so does a file this writer
    // created under a new name, unless keepWhenNew is set.
    void Abandon(bool keepWhenNew = false);

    bool IsOpen() const { return m_fd >= 0; }
    // Whether a write was refused (the content is then spoilt).
    bool Failed() const { return m_failed; }
    // Whether something had the target's name when the write started.
    bool TargetExisted() const { return m_replacing; }
    uint64_t Size() const { return m_size; }
    const std::string &Target() const { return m_target; }
    // Where the bytes go: the side file, or the target itself for a new name.
    const std::string &WritePath() const { return m_replacing ? m_side : m_target; }
    int Error() const { return m_error; }

private:
    bool Flush();
    bool Fail(int error);
    void Reset();

    std::string m_target;
    std::string m_side;
    int m_fd = -1;
    bool m_replacing = false;
    bool m_failed = false;
    int m_error = 0;
    uint64_t m_size = 0;    // bytes of content so far
    uint64_t m_flushed = 0; // of which already handed to the system
    std::vector<uint8_t> m_buffer;
};

// A hidden, unique name beside target for a file that will replace it,
// created exclusively with mode 0600; the descriptor, or -1 with errno set.
int CreateSideFile(const std::string &target, std::string &side);

} // namespace kestrel::platform
