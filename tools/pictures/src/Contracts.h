#pragma once

#include "Output.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

// What the program relies on in its pictures, and the checks of it. Used by the generator
// after writing and by quillet_picturecheck on the files in data/Pictures.
namespace pic {

// Every picture path the program loads, spelled as the program spells it.
const QStringList& programPictures();

// The body picture of the relaxation sequence: the colour of the pixel at kBodySample is the
// body colour. The body scan colours random pixels of its sample rectangles that have exactly
// that colour, so most of each rectangle must have it, and no pixel outside them may.
constexpr QPoint kBodySample{104, 40};
const QColor kBodyFill{0, 200, 255};
struct SampleRect {
    const char* region;
    QRect rect;      // inclusive ranges
    double minShare; // the least part of the rectangle in the body colour
};
const std::vector<SampleRect>& bodySampleRects();

// The face picture of the eye exercises: the two eye points the drawing starts from.
constexpr QPoint kEyeLeft{490, 336}, kEyeRight{513, 336};
constexpr QSize kFaceSize{1024, 768};

// All sizes of the full-board pictures.
constexpr QSize kBoardPicture{1280, 720};

// The mantra pictures carry the mantra as a caption at their top, in this ink, at least
// kCaptionMargin pixels from the left and right edges (the board may cut a little off).
const QColor kCaptionInk{0x5a, 0x4a, 0x3e};
constexpr int kCaptionMargin = 24;
constexpr int kCaptionBand = 160; // the rows from the top the caption lies in

// Problems of one picture (path relative to the repository root, e.g.
// "data/Pictures/Entsp/body.bmp"); empty when it keeps its contracts.
QStringList checkPicture(const QString& path, const QImage& image);

// Pictures that depend on each other (the body picture and its background).
QStringList checkPair(const QImage& body, const QImage& background);

// Problems of the set as a whole: every program picture present.
QStringList checkComplete(const std::vector<Written>& files);

// The repository path of a program path ("Pictures\Yoga\p1\yoga121.jpg" ->
// "data/Pictures/yoga/p1/yoga121.jpg", lower case) for comparing without regard to case.
QString canonical(const QString& programOrRepoPath);

} // namespace pic
