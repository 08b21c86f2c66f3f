// Registers every location module of the program: the floppy, PC99 and
// archive modules of tifs and the hard-disk modules of drives.
#pragma once

namespace kestrel
{

void RegisterAllListers();

} // namespace kestrel
