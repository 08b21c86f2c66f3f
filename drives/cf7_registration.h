// Plugs the CF7A+ listers into the catalog's seams.
#pragma once

namespace kestrel
{

// Registers the card-image recogniser (entry kind 15), the openers of card
// images and volumes (kinds 14, 15, 16), the path lister of card images and
// the way up from a volume's files to the volume list. Idempotent.
void RegisterCf7Listers();

} // namespace kestrel
