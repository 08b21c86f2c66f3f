#include "app/shell/page_margins.h"

#include <cmath>

namespace kestrel
{

PageMargins DefaultPageMargins(bool metric)
{
    if (metric)
        return {2000, 1500, 2000, 1500, true};
    return {780, 590, 780, 590, false};
}

PageMargins MarginsFromSettings(const Settings &settings)
{
    return {settings.marginLeft, settings.marginTop, settings.marginRight, settings.marginBottom,
            settings.marginsMetric};
}

void StoreMargins(Settings &settings, const PageMargins &margins)
{
    settings.marginLeft = margins.left;
    settings.marginTop = margins.top;
    settings.marginRight = margins.right;
    settings.marginBottom = margins.bottom;
    settings.marginsMetric = margins.metric;
}

PageMargins MarginsInThousandthsOfInch(const PageMargins &margins)
{
    if (!margins.metric)
        return margins;
    return {margins.left * 100 / 254, margins.top * 100 / 254, margins.right * 100 / 254,
            margins.bottom * 100 / 254, false};
}

double MarginToMillimetres(int value, bool metric)
{
    return metric ? value / 100.0 : value * 25.4 / 1000.0;
}

int MarginFromMillimetres(double millimetres, bool metric)
{
    const double value = metric ? millimetres * 100.0 : millimetres * 1000.0 / 25.4;
    return static_cast<int>(std::lround(value));
}

} // namespace kestrel
