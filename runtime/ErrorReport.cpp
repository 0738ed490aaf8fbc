#include "runtime/ErrorReport.h"

#include "runtime/MessageBox.h"

#include <QTimer>

namespace rt {

MessageBoxReport::MessageBoxReport() : open(openError) {}

void MessageBoxReport::report(const QString& text) {
    if (reported_.contains(text))
        return;
    reported_.insert(text);
    enqueue(text);
}

void MessageBoxReport::tell(const QString& text) {
    enqueue(text);
}

void MessageBoxReport::enqueue(const QString& text) {
    if (!pending_.contains(text))
        pending_.append(text);
    if (scheduled_ || open_)
        return;
    scheduled_ = true;
    QTimer::singleShot(0, &context_, [this] { showPending(); });
}

void MessageBoxReport::showPending() {
    scheduled_ = false;
    if (open_ || pending_.isEmpty())
        return;
    const QString text = pending_.join(QStringLiteral("\n\n"));
    pending_.clear();
    open_ = true;
    open(parent_, text, [this] {
        open_ = false;
        if (!pending_.isEmpty() && !scheduled_) {
            scheduled_ = true;
            QTimer::singleShot(0, &context_, [this] { showPending(); });
        }
    });
}

} // namespace rt
