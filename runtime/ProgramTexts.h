#pragma once

#include <array>

// Texts every floor of the program shows alike.
namespace rt {

// What the caption of every window ends with, after the window's own title.
inline constexpr const char* kCaptionSuffix = "   /   Version 01-03-2009";

// The four sequences, in the order of the board's buttons.
inline constexpr std::array<const char*, 4> kSequenceNames{"Atemübungen", "Körperübungen",
                                                           "Augenübungen", "Entspannungsübungen"};

} // namespace rt
