// The composers of each window kind, shared by inspector_view.cpp (which
// dispatches and sets the caption) and the structure files. Each fills the
// fields, the list and the links of a view whose kind, context and sector
// are already set.
#pragma once

#include <string>

#include "drives/inspector/inspector_format.h"
#include "drives/inspector/inspector_view.h"

namespace kestrel::inspector
{

// Appends a field and returns it, so that a link can be set on it.
InspectorField &AddField(InspectorView &view, int offset, const std::string &label,
                         const std::string &value);

// Bytes 0 to 27 of an FDR, which floppy and hard-disk FDRs lay out alike.
void AddFdrHeadFields(InspectorView &view);

InspectorLink StructureLink(InspectorKind kind, const InspectorContext &context);

void ComposeFloppyVib(InspectorView &view);
void ComposeFloppyFdir(InspectorView &view, ImageAccess &image);
void ComposeFloppyFdr(InspectorView &view);
void ComposePartitionTable(InspectorView &view);
void ComposeHdDirectory(InspectorView &view, ImageAccess &image); // VIB and DDR
void ComposeHdFdir(InspectorView &view, ImageAccess &image);
void ComposeHdFdr(InspectorView &view);
void ComposeCf7VolumeList(InspectorView &view, ImageAccess &image);

} // namespace kestrel::inspector
