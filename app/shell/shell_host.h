// What the shell needs of the window system. The Qt program implements it
// with its widgets; the shell tests implement it with a recorder. Nothing
// here blocks except the folder browser and the operations that open dialogs.
#pragma once

#include <string>

#include "tifs/catalog_entry.h"

namespace kestrel
{

// View modes of a text or picture window.
enum WindowMode : int {
    kModeText = 0,
    kModeHex = 2,
    kModeTiArtist = 3,
    kModeMyart256 = 4,
    kModeMyart512 = 5,
    kModeCharset = 6,
    kModeForth = 7,
};

// Operations that other parts of the program carry out for the cursor entry
// or the marked entries of a pane; the host runs them when they exist.
enum class PaneOperation {
    Information,     // F2
    Copy,            // F5, to the other pane's location
    Rename,          // F6
    ConvertTiToPc,   // Ctrl+F6
    NewDirectory,    // F7
    Delete,          // Delete
    ShowGifExternal, // a GIF file handed to the external viewer
    // Menu commands that have no key of their own.
    ConvertPcToTi,       // "Convert PC file to TI file"
    ConvertTextToBasic,  // "Convert PC file to TI (Extended) Basic file"
    ToV9t9,              // "Convert TIFILES file to V9T9 file "
    ToTifiles,           // "Convert V9T9 file to TIFILES file "
    SetAttributes,       // "Set file attributes"
    Pc99ToDsk,           // "Convert PC99 DSK-image to V9T9 DSK-image"
    Pc99Layout,          // "Show PC99 DSK-image track and sector layout"
    HfeToDsk,            // "Convert HFE image to V9T9 DSK-image"
    DskToHfe,            // "Convert V9T9 DSK-image to HFE image"
    ExtractAll,          // "Extract all files from ARC-file or DSK-image"
    ArcToDsk,            // "Convert ARC-file to V9T9 DSK-image"
    PackArchive,         // "Pack to archive"
    InspectStructure,    // "Show image VIB, DDR, FDIR or FDR"
    DirectoryReport,     // "&Feed filelist to edit window"
    CreateDskImage,      // "Create new DSK image"
    CreateHdImage,       // "Create new IDE or SCS image"
    ReadCf7VolumeList,   // "Read CF7A+ Volume list"
    InitializeCf7Volume, // "Initialize CF7A+ Volume"
    MountCf7Volumes,     // "Mount CF7A+ Volumes"
    BackupDisk,          // "Backup TI formatted SCS / IDE / WDS or CF7A+ disk image"
    RestoreDisk,         // "Restore TI formatted SCS / IDE / WDS or CF7A+ disk image"
    Options,             // "Options"
    HelpIndex,           // "&Index"
    About,               // "&About"
    CheckDisk,           // "Check disk"
};

class ShellHost
{
public:
    virtual ~ShellHost() = default;

    // Lay out and paint one pane (its list, path line, status line and
    // scroll bar) or the whole window.
    virtual void RepaintPane(int side) = 0;
    virtual void RepaintAll() = 0;
    // Header texts and widths follow the pane's columns (after a swap).
    virtual void ColumnsChanged(int side) { (void)side; }

    virtual void BeginWait() {}
    virtual void EndWait() {}
    virtual void Beep() = 0;

    // The folder browser, starting at start; false when cancelled.
    virtual bool BrowseForLocation(const std::string &start, std::string &chosen) = 0;

    // A text or picture window on an entry of a pane.
    virtual void OpenView(int side, const CatalogEntry &entry, WindowMode mode) = 0;
    virtual void RunOperation(int side, PaneOperation operation) = 0;

    // Recent locations, newest first, numbers 1 to 5.
    virtual void AddRecentLocation(const std::string &path) = 0;
    virtual std::string ReadRecentLocation(int number) = 0;
};

} // namespace kestrel
