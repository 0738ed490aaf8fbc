#include "runtime/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace rt {

namespace {

QMessageBox* makeBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    // A box belongs to the window the user works in: while a modal window is open (help,
    // imprint, settings), to that one. The window manager keeps a box above the window it
    // belongs to, and a box that belonged to a window the modal one locks could not be used.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible())
        parent = modal;
    auto* box = new QMessageBox(icon, QStringLiteral("Quillet"), text, QMessageBox::Ok, parent);
    // The board may be a frameless window that stays on top; the box must not hide behind it.
    box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return box;
}

// Shows a report where the user is: with the keyboard when one of the program's windows has it
// (the report answers what the user just did there, and Return closes it), but never taking the
// keyboard from another program.
void present(QMessageBox* box) {
    // Qt may still count a window whose native window was just made anew as focused, not active.
    const bool keysAreOurs = QApplication::activeWindow() || QGuiApplication::focusWindow();
    box->show();
    box->raise();
    if (keysAreOurs)
        box->activateWindow();
}

// Shows a box once the window it belongs to is on the screen. A window manager stacks a box
// above the window it belongs to only when it already manages that window: a modal window that
// has just been shown, with a report waiting for it, would otherwise come up over the report.
class ShowWhenOwnerShows final : public QObject {
public:
    ShowWhenOwnerShows(QMessageBox* box, QWindow* owner) : QObject(box), box_(box), owner_(owner) {
        owner->installEventFilter(this);
        // A window that is never shown (or a display that never says) does not keep the box.
        QTimer::singleShot(kLongestWaitMs, this, [this] { showBox(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == owner_ && event->type() == QEvent::Expose && owner_->isExposed())
            QTimer::singleShot(0, this, [this] { showBox(); });
        return false;
    }

private:
    static constexpr int kLongestWaitMs = 1000;

    void showBox() {
        if (owner_)
            owner_->removeEventFilter(this);
        present(box_);
        deleteLater();
    }

    QMessageBox* box_;
    QPointer<QWindow> owner_;
};

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
    QWindow* owner = box->parentWidget() ? box->parentWidget()->windowHandle() : nullptr;
    if (owner && owner->isVisible() && !owner->isExposed()) {
        new ShowWhenOwnerShows(box, owner);
        return;
    }
    present(box);
}

} // namespace rt
