#pragma once

#include <QColor>
#include <QImage>

// The places the journeys lead to, painted at 1280 x 720.
namespace pic {

constexpr int kBoardW = 1280, kBoardH = 720;

QImage paintMeadow();    // the start sequence's end: a spring meadow in the morning
QImage paintWaterfall(); // the breathing journey's end
QImage paintTwilight();  // the relaxation journey's end
QImage paintSunset();    // the idle board

// The twilight sky is a function of height alone over the left part of the picture, so that
// the body picture laid over it can repeat it exactly. yFraction is 0 at the top, 1 at the
// bottom of the picture.
QColor twilightSky(double yFraction);
constexpr double kTwilightPlainRight = 0.36; // up to this fraction of the width

} // namespace pic
