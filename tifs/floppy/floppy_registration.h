// Plugs the floppy and PC99 images into the catalog (tifs/location_listers.h).
#pragma once

namespace kestrel
{

// Registers the image recogniser of the PC-directory scan (kinds 9 to 11),
// the openers of image and subdirectory entries, the lister of an image
// opened by its path, the way up from a subdirectory and the saver of files
// inside DSK and PC99 images. Idempotent.
void RegisterFloppyListers();

} // namespace kestrel
