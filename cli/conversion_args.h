// What the conversion commands of kestrel-cli share: finding the entries
// named on the command line, opening the destination and answering the
// overwrite question the way a script expects.
#pragma once

#include <string>
#include <vector>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel::cli
{

class TerminalUi;

// A source named on the command line: the location that holds it and its
// entry there (a copy; entries of the location stay as listed).
struct NamedEntry {
    Location location;
    CatalogEntry entry;
};

// Resolves "PCFILE" or "LOCATION/FILE". False after a reported failure
// ("File <%s> doesn't exist" for a missing name) or, for a path that names
// a location, after a usage message.
bool ResolveNamedEntry(Ui &ui, const std::string &arg, NamedEntry &named);

// Opens the destination location (a directory or a container path).
bool ResolveDestination(Ui &ui, const std::string &arg, Location &location);

// Takes --yes, --no and --all; without them and without a terminal every
// overwrite question is answered No.
void TakeOverwriteAnswer(TerminalUi &ui, std::vector<std::string> &args);

// Prints "kestrel-cli: <why>" and the usage line; returns 1.
int UsageFailure(const char *usage, const std::string &why);

// Registers every location module (idempotent) so that images, hard disks
// and CF7A+ cards can be named.
void RegisterConversionListers();

// Parses a whole decimal number in [low, high]; false otherwise.
bool ParseNumber(const std::string &text, int low, int high, int &value);

} // namespace kestrel::cli
