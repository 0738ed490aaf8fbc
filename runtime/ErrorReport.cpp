#include "runtime/ErrorReport.h"

#include "runtime/MessageBox.h"

namespace rt {

MessageBoxReport::MessageBoxReport() : show(showError) {}

void MessageBoxReport::report(const QString& text) {
    if (open_ || shown_.contains(text))
        return;
    shown_.insert(text);
    open_ = true;
    show(parent_, text);
    open_ = false;
}

} // namespace rt
