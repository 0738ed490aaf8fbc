#include "runtime/MessageBox.h"

#include <QMessageBox>

namespace rt {

namespace {
void show(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("Quillet"), text, QMessageBox::Ok, parent);
    // The board may be a frameless window that stays on top; the box must not hide behind it.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
}
} // namespace

void showMessage(QWidget* parent, const QString& text) {
    show(parent, QMessageBox::Information, text);
}

void showError(QWidget* parent, const QString& text) {
    show(parent, QMessageBox::Warning, text);
}

} // namespace rt
