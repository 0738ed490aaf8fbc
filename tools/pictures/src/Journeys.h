#pragma once

#include <QImage>

// The workplace seen from one's own chair, and the two ways of leaving it: walking through its
// window into a landscape (the journeys of the breathing and relaxation sequences) and the
// workplace dissolving into the landscape (the start sequence).
namespace pic {

enum class OfficeLight { Day, Evening };

// Frame k (1..11) of a journey from the workplace into `destination` (1280 x 720); frame 11 is
// the destination itself.
QImage journeyFrame(int k, const QImage& destination, OfficeLight light);

// Frame k (1..11) of the workplace dissolving into `destination`.
QImage dissolveFrame(int k, const QImage& destination);

} // namespace pic
