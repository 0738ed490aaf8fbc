#pragma once

#include <QString>

namespace pic {

// The program's icon for the desktop: a person sitting cross-legged and breathing calmly, in
// front of a soft halo, on a rounded square of sea green. Writes
// <folder>/hicolor/<N>x<N>/apps/org.quillet.Quillet.png for the usual sizes and
// <folder>/hicolor/scalable/apps/org.quillet.Quillet.svg, all from the same shapes.
bool writeAppIcon(const QString& folder, QString* error);

} // namespace pic
