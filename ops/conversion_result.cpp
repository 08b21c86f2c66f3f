#include "ops/conversion_result.h"

#include "tifs/messages.h"

namespace kestrel
{

Answer AskConversionOverwrite(Ui &ui, const std::string &kindWord, const std::string &name,
                              bool &overwriteAll)
{
    if (overwriteAll) {
        return Answer::Yes;
    }
    Answer answer =
        ui.AskOverwrite(FormatText("%s <%s> allready exist. Overwrite?", {kindWord, name}));
    if (answer == Answer::All) {
        overwriteAll = true;
        return Answer::Yes;
    }
    return answer == Answer::Ok ? Answer::Yes : answer;
}

} // namespace kestrel

#include "platform/temp_dir.h"

namespace kestrel
{

std::string ConversionTempFile(Ui &ui)
{
    platform::TempDir &temp = platform::ProgramTempDir();
    if (!temp.Created() && !temp.Create()) {
        ReportSystemError(ui, temp.Error(), 2, {platform::TempBaseDirectory()});
        return std::string();
    }
    return temp.GeneralFile();
}

} // namespace kestrel

#include "drives/cf7_layout.h"
#include "drives/cf7_listing.h"

namespace kestrel
{

bool ConversionImageTarget(const Location &location, FloppyTarget &target)
{
    target = TargetForLocation(location);
    if (location.kind != kLocCf7Volume) {
        return true;
    }
    if (location.cf7Volume <= 0 || Cf7LocationDrive(location) != 0) {
        return false;
    }
    target.base = Cf7ImageVolumeBase(static_cast<uint32_t>(location.cf7Volume));
    return true;
}

} // namespace kestrel
