// Edits of the working directory (State().work) after a lookup: new files and
// subdirectories, deletions and renames. Each answers a DSR byte; what was written before a
// failure stays on the image, and AUs taken for a step that then fails are given back.
#pragma once

#include "hdlib/volume.h"

namespace kestrel::hdlib
{

// A new file entry at insertion position index: one AU for the FDR, its word in the file
// index, the directory's file count. The FDR is built in slot.fdr and written at once, so
// that the file index never points at a sector of old contents. 128 when the directory
// already holds 127 files.
int32_t CreateFileEntry(FileSlot &slot, const char name[10], uint16_t index);

// A new subdirectory at insertion position index: its DDR and an empty file index. 128 when
// the directory already holds 114 subdirectories.
int32_t CreateSubdirectory(const char name[10], uint16_t index);

// Removes the file found at index (its FDR in slot.fdr, at fdrAu) and releases its FDR and
// data AUs. 32 when it is protected.
int32_t DeleteFileEntry(FileSlot &slot, uint16_t index, uint16_t fdrAu);

// Removes the empty subdirectory found at index (its DDR in ddr, at ddrAu); 224 when it
// still holds files or subdirectories.
int32_t DeleteSubdirectory(uint16_t index, const SectorBuffer &ddr, uint16_t ddrAu);

// Renames the file at oldIndex (FDR in slot.fdr) to newName, which belongs at newIndex.
int32_t RenameFileEntry(FileSlot &slot, uint16_t oldIndex, uint16_t newIndex,
                        const char newName[10]);
// Renames the subdirectory at oldIndex (DDR in ddr) to newName, which belongs at newIndex.
int32_t RenameSubdirectory(SectorBuffer &ddr, uint16_t oldIndex, uint16_t newIndex,
                           const char newName[10]);

// Releases the AUs of every chain entry up to the first empty or damaged one.
void ReleaseChain(const uint8_t *fdr);

} // namespace kestrel::hdlib
