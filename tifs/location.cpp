#include "tifs/location.h"

namespace kestrel {

void CopyLocationState(Location &to, const Location &from)
{
    to.kind = from.kind;
    to.startPath = from.startPath;
    to.path = from.path;
    to.pcLevelsEntered = from.pcLevelsEntered;
    to.containerDepth = from.containerDepth;
    to.hdLevel = from.hdLevel;
    to.cf7Volume = from.cf7Volume;
    to.archive = from.archive;
    to.insideContainer = from.insideContainer;
    to.containerEntries = from.containerEntries;
    to.innerPath = from.innerPath;
    to.nestedName = from.nestedName;
    to.keptPath = from.keptPath;
    to.keptKind = from.keptKind;
    to.fdirSector = from.fdirSector;
    to.subdirName = from.subdirName;
    to.totalSectors = from.totalSectors;
    to.totalFiles = from.totalFiles;
    to.sortOrder = from.sortOrder;
}

} // namespace kestrel
