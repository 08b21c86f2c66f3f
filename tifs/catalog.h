// The catalog of a location: scanning a PC directory, opening a pane's path,
// moving into and out of subdirectories and containers, sorting, and the
// texts the pane draws for each entry, its status line and its path line.
// Containers (floppy, PC99, archive, hard disk, CF7A+) plug in through
// tifs/location_listers.h; everything here works without any of them.
#pragma once

#include <array>
#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// Lists the PC directory matches of pattern (a path whose last component may
// hold "*" and "?"; "*.*" matches every name) into location.entries, after
// clearing them; sets the location kind to PC directory. Unreadable files
// are left out silently. Returns 0, or the system error code of a failed
// directory search, which it has reported as message 0 with location.path
// and the system's text.
int ScanPcDirectory(Location &location, const std::string &pattern, Ui &ui);

// Lists location.path: a path holding "*" as a search pattern, an existing
// file through the registered path listers (ListImagePath), otherwise a
// directory (one trailing separator removed). Clears the entries first.
// False after a failure, which it has reported (message 0 with the system
// text); the list is then empty.
bool OpenLocation(Location &location, Ui &ui);

// Enters the PC subdirectory entry (kind 6) of a PC-directory location: one
// level down, path joined with the entry's PC name, listed again. False
// after reporting a failure.
bool EnterPcSubdirectory(Location &location, const CatalogEntry &entry, Ui &ui);

// Goes one level up: inside a container through its registered LevelUp; at
// a container's root back to the kept path (a container that was saved to a
// temporary file) or to the PC directory that holds the container; in a PC
// directory to the parent, unless the pane is at the level where its path
// was set (then false, nothing reported). True when a new list was made.
bool GoUp(Location &location, Ui &ui);

// What Enter does on an entry: subdirectories, "..", images, volumes and
// archives are entered (containers through FindEntryOpenerIn); every other
// entry does nothing. For entries of kinds 9, 10, 11, 13, 15 and 16 the
// entry is appended to location.containerEntries and insideContainer set
// before the opener runs (both undone when it fails). The list is sorted
// after a successful action. The entry is copied first, so it may be one of
// location.entries. True when the location was listed anew.
bool OpenEntry(Location &location, const CatalogEntry &entry, Ui &ui);

// Sorts location.entries in location.sortOrder (0 to 4; any other value
// keeps the scan order). ".." first, subdirectories next in every order.
void SortCatalog(Location &location);

// What the orders compare first: ".." 0, subdirectories 1, everything else 2.
int CatalogGroupRank(uint16_t kind);
// The kind order: floppy images lead, then every other kind by its code.
int CatalogKindRank(uint16_t kind);
// The name an entry goes by in the "TI name" order (its TI name, or its PC name where it has
// none worth sorting by).
const std::string &CatalogNameKey(const CatalogEntry &e, bool pcDirectory);

// Case-insensitive ASCII comparison (letters folded to lower case, then
// unsigned byte order): <0, 0 or >0.
int CompareNoCase(const std::string &a, const std::string &b);

// The six cells of an entry as the pane draws them: PC name, TI name, size,
// type, attributes with the header-kind suffix, description.
std::array<std::string, 6> EntryCells(const CatalogEntry &entry, const Location &location);
// One of them (0 to 5), made alone.
std::string EntryCell(const CatalogEntry &entry, const Location &location, int column);

// The status line over all entries and the marked ones.
std::string StatusLine(const Location &location);

// The text of the pane's path line, leading space included. For an archive
// the holding location is keptPath (path when keptPath is empty), its name
// comes from location.nestedName (a TI name, shown in its PC form), or from
// the last container entry when nestedName is empty.
std::string PathLineText(const Location &location);

// The entry of the location whose name is name: the PC name exactly, or
// the TI name with trailing blanks removed or in its PC form, without regard
// to case. Null when none.
const CatalogEntry *FindEntryByName(const Location &location, const std::string &name);

// Lists a path that may lead into containers: the longest leading part that
// exists on the PC file system is opened as the location (its start path);
// a file there goes to the path listers, and when none takes it, is entered
// from its folder through OpenEntry (the folder is then the start path).
// Each further "/"-separated name is entered through OpenEntry. With
// leaf set, a last name that names a file (no container to enter) is not
// entered but returned in *leaf (the name as given; see FindEntryByName),
// and the location is the one holding it. False after reporting a failure
// (message 0 for the PC part, "File <%s> doesn't exist" for a missing name).
bool ResolveLocationPath(Location &location, const std::string &path, Ui &ui,
                         std::string *leaf = nullptr);

// Clears every container field of the location (kind, depths, entries,
// inner path, flags); used when leaving a container or starting afresh.
void ResetContainerState(Location &location);

} // namespace kestrel
