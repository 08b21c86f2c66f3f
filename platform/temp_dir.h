// The program's private temporary directory and its three fixed file names.
// The names are fixed because other parts hand them to each other (and the
// picture file to an external viewer); they live in a directory of our own,
// made with mode 0700, so that no other user can plant or read them.
#pragma once

#include <string>

namespace kestrel::platform {

// The base directory: the value of TMP, else TEMP, else TMPDIR, else "/tmp".
// An empty variable counts as not set.
std::string TempBaseDirectory();

class TempDir {
public:
    TempDir() = default;
    ~TempDir() { Remove(); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Makes a new private directory in base (TempBaseDirectory() when
    // empty). A directory made before is removed first. False, with Error()
    // set to the errno, when it cannot be made; the paths are then empty, so
    // nothing is ever written to a shared place under the fixed names.
    bool Create(const std::string& base = std::string());
    // Removes the directory and everything in it; safe to call again.
    void Remove();

    bool Created() const { return !m_directory.empty(); }
    int Error() const { return m_error; }
    const std::string& Directory() const { return m_directory; }
    // directory/ti_tmp.$$$: the general temporary file.
    const std::string& GeneralFile() const { return m_general; }
    // directory/ti_arc.$$$: the archive work file.
    const std::string& ArchiveFile() const { return m_archive; }
    // directory/ti_pic.gif: the picture handed to an external viewer.
    const std::string& PictureFile() const { return m_picture; }

private:
    std::string m_directory;
    std::string m_general;
    std::string m_archive;
    std::string m_picture;
    int m_error = 0;
};

// The program's one instance; made at start-up with Create(), removed at exit.
TempDir& ProgramTempDir();

} // namespace kestrel::platform
