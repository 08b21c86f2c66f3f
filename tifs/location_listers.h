// The seams through which container modules plug into the catalog: each kind
// of image recognises its files in a PC-directory scan, opens its entries and
// saves a file it holds as a TI file. The PC-directory lister calls these
// without knowing which modules are linked in; each module registers itself
// from RegisterLocationListers().
#pragma once

#include <cstdint>
#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel {

// Tests the first 256 bytes of a PC file (exactly 256 were read) and, when the
// file is an image of the recogniser's kind, fills the entry (kind, TI name,
// sizes, disk summary …) and returns true. May read more of the file at path.
using ImageRecognizer = bool (*)(const std::string& path, const uint8_t* first256,
                                 uint64_t fileSize, CatalogEntry& entry);

// Lists what an entry of a given kind leads to (an image, a subdirectory
// inside it, an archive …) into the location. Returns false after reporting.
using EntryOpener = bool (*)(Location& location, const CatalogEntry& entry, Ui& ui);

// Lists an image file opened directly by its path (a location that is a file).
// Returns false when the file is not of this module's kind (nothing reported)
// or after reporting a failure (then reported is set).
using PathLister = bool (*)(Location& location, const std::string& path, Ui& ui, bool& reported);

// Goes one level up inside a container location; false when the location is
// at its root (the caller then leaves the container).
using LevelUp = bool (*)(Location& location, Ui& ui);

// Writes the entry (a file inside the location's container) as a PC file with
// a 128-byte header to target. Returns false after reporting.
using EntrySaver = bool (*)(const Location& location, const CatalogEntry& entry,
                            const std::string& target, Ui& ui);

// Recognisers run in ascending order of priority; the first that accepts wins.
void RegisterImageRecognizer(int priority, ImageRecognizer recognizer);
void RegisterEntryOpener(uint16_t entryKind, EntryOpener opener);
// An opener for an entry kind in one location kind only (kind 6 means a
// different thing in a floppy image and in a hard-disk image). Takes
// precedence over the opener registered for the entry kind alone.
void RegisterEntryOpenerIn(int locationKind, uint16_t entryKind, EntryOpener opener);
void RegisterPathLister(int priority, PathLister lister);
void RegisterLevelUp(int locationKind, LevelUp up);
void RegisterEntrySaver(int locationKind, EntrySaver saver);

// Lookups for the catalog and the shell; null when no module registered one.
EntryOpener FindEntryOpener(uint16_t entryKind);
// The opener for the entry kind in that location kind, else FindEntryOpener.
EntryOpener FindEntryOpenerIn(int locationKind, uint16_t entryKind);
LevelUp FindLevelUp(int locationKind);
EntrySaver FindEntrySaver(int locationKind);
bool RecognizeImage(const std::string& path, const uint8_t* first256, uint64_t fileSize,
                    CatalogEntry& entry);
// Tries the registered path listers in order; false when none took the file.
bool ListImagePath(Location& location, const std::string& path, Ui& ui, bool& reported);

// Registers every module of tifs (floppy, PC99, archive). Idempotent.
void RegisterLocationListers();

} // namespace kestrel
