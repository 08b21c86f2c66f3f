// Plugs the hard-disk modules into the catalog's seams.
#pragma once

namespace kestrel
{

// Registers the hard-disk image recogniser of the PC scan (kinds 12 and 13),
// the openers of kinds 12 and 13 and of subdirectories inside hard-disk
// locations, a path lister for an image named directly, the level-up of
// location kinds 4 and 5 and their entry saver. Idempotent.
void RegisterDriveListers();

} // namespace kestrel
