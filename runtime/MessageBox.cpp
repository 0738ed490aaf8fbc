#include "runtime/MessageBox.h"

#include <QMessageBox>

namespace rt {

namespace {

QMessageBox* makeBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    auto* box = new QMessageBox(icon, QStringLiteral("Quillet"), text, QMessageBox::Ok, parent);
    // The board may be a frameless window that stays on top; the box must not hide behind it.
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return box;
}

void show(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox* box = makeBox(parent, icon, text);
    box->exec();
    delete box;
}

} // namespace

void showMessage(QWidget* parent, const QString& text) {
    show(parent, QMessageBox::Information, text);
}

void showError(QWidget* parent, const QString& text) {
    show(parent, QMessageBox::Warning, text);
}

bool askOkAbort(QWidget* parent, const QString& text) {
    QMessageBox* box = makeBox(parent, QMessageBox::Information, text);
    box->setStandardButtons(QMessageBox::Ok | QMessageBox::Abort);
    box->setDefaultButton(QMessageBox::Ok);
    const bool ok = box->exec() == QMessageBox::Ok;
    delete box;
    return ok;
}

void openError(QWidget* parent, const QString& text, std::function<void()> closed) {
    QMessageBox* box = makeBox(parent, QMessageBox::Warning, text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QMessageBox::finished, box, [closed = std::move(closed)] {
        if (closed)
            closed();
    });
    box->show();
    box->raise();
}

} // namespace rt
