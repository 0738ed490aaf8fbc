#include "runtime/Application.h"

#include "runtime/QtTexts.h"

#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QFontDatabase>
#include <QLocale>
#include <QTimer>
#include <QVariant>

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <thread>

namespace rt {

void prepareDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x11 = std::getenv("DISPLAY");
    if ((!platform || !*platform) && wayland && *wayland && x11 && *x11)
        setenv("QT_QPA_PLATFORM", "xcb", 1);
    // Whoever asks fontconfig first sets up its configuration; a second caller meanwhile waits
    // for nothing but does the same work again, so Qt is never held up by this thread. It only
    // reads, and may still be reading when a second copy of the program ends early.
    std::thread([] { FcInit(); }).detach();
}

namespace {

// Qt draws the focus frame only once the keyboard has moved the focus in a window; a dialog the
// user opens should show from the start which control Enter or Space would act on.
class FocusOnOpen final : public QObject {
public:
    using QObject::QObject;

protected:
    // Marked once the dialog is active: showing and activating it give its first control the
    // focus in ways that clear the mark.
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        if (type != QEvent::Show && type != QEvent::WindowActivate)
            return false;
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (!dialog || !dialog->isWindow())
            return false;
        if (type == QEvent::Show) {
            dialog->setProperty(kFresh, true);
        } else if (dialog->property(kFresh).toBool()) {
            dialog->setProperty(kFresh, QVariant());
            // After the focus that comes with the activation.
            QTimer::singleShot(0, dialog, [dialog] {
                dialog->setAttribute(Qt::WA_KeyboardFocusChange);
                if (QWidget* focused = dialog->focusWidget())
                    focused->update();
            });
        }
        return false;
    }

private:
    static constexpr const char* kFresh = "quilletJustOpened";
};

} // namespace

void showFocusOnOpen(QApplication& app) {
    const QString name = QStringLiteral("quillet-focus-on-open");
    if (app.findChild<QObject*>(name, Qt::FindDirectChildrenOnly))
        return;
    auto* filter = new FocusOnOpen(&app);
    filter->setObjectName(name);
    app.installEventFilter(filter);
}

void setupApplication(QApplication& app) {
    app.setApplicationName(QStringLiteral("Quillet"));
    app.setOrganizationName(QStringLiteral("Quillet"));
    // The desktop entry's name (without ".desktop"): Wayland's app id and what the desktop uses
    // to match our windows with the launcher, its icon and its name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillet.Quillet"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    // Qt's own buttons and context menus in German, without Qt's translations package.
    app.installTranslator(new QtGermanTexts(&app));

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);
    showFocusOnOpen(app);
}

} // namespace rt
