// The four print margins, kept in the unit of the user's measurement system:
// thousandths of an inch (U.S.) or hundredths of a millimetre (metric).
#pragma once

#include "tifs/settings.h"

namespace kestrel
{

struct PageMargins {
    int left = 780;
    int top = 590;
    int right = 780;
    int bottom = 590;
    bool metric = false; // hundredths of a millimetre instead of thousandths of an inch
};

// 780, 590, 780, 590 thousandths of an inch; 2000, 1500, 2000, 1500
// hundredths of a millimetre.
PageMargins DefaultPageMargins(bool metric);

// The margins of the settings ("PageSetup") and back.
PageMargins MarginsFromSettings(const Settings &settings);
void StoreMargins(Settings &settings, const PageMargins &margins);

// Metric values become thousandths of an inch as value * 100 / 254 (integer
// division, as the printing arithmetic wants); U.S. values stay.
PageMargins MarginsInThousandthsOfInch(const PageMargins &margins);

// One margin value in millimetres, and a length in millimetres back into the
// margins' unit (rounded), for dialogs that work in millimetres.
double MarginToMillimetres(int value, bool metric);
int MarginFromMillimetres(double millimetres, bool metric);

} // namespace kestrel
