// totifiles FILE...: V9T9 files in a directory get a TIFILES header.
#include <string>

#include "cli/command.h"
#include "ops/header_conversion.h"

namespace kestrel::cli
{

int RunHeaderConversion(CommandContext &context, HeaderTarget target, const char *usage);

namespace
{

const char kUsage[] = "totifiles FILE...";

int RunToTifiles(CommandContext &context)
{
    return RunHeaderConversion(context, HeaderTarget::Tifiles, kUsage);
}

} // namespace

KESTREL_CLI_COMMAND("totifiles", kUsage, RunToTifiles);

} // namespace kestrel::cli
