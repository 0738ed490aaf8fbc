#include "runtime/Clock.h"

#include <QTime>

namespace rt {

int SystemClock::msOfDay() const {
    return QTime::currentTime().msecsSinceStartOfDay();
}

} // namespace rt
