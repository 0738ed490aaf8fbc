#pragma once

#include "settings/UDaten.h"

#include <QString>

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

// What the settings window lets each number of the record be. A minutes field names its seconds
// field: that field's lower bound holds only while the minutes are 0 (0 otherwise).
struct SpinBounds {
    const char* name; // the spin field that edits the value
    std::uint16_t TSettings::*word;
    int min, max;
    const char* seconds; // for a minutes field, its seconds field
    const char* label;   // how a message names the value
};
extern const std::array<SpinBounds, 72> kSpinBounds;

// The row of a spin field; every name the settings window uses has one.
const SpinBounds& spinBounds(std::string_view name);

// The lower bound of a field as the window sets it for the record's other values.
int lowerBound(const TSettings& s, const SpinBounds& b);

// One value that was out of bounds and what it became.
struct BoundsCorrection {
    QString label;
    int was = 0;
    int now = 0;
};

// Brings every value the settings window edits into that window's bounds, as the window would
// show it (minutes before their seconds, a check box that is not 1 as not ticked, the hours per
// day as 12 or 24). Values the window does not edit are carried through unchanged.
std::vector<BoundsCorrection> boundSettings(TSettings& s);
