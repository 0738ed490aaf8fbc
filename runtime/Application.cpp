#include "runtime/Application.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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

void setupApplication(QApplication& app) {
    app.setApplicationName(QStringLiteral("Quillet"));
    app.setOrganizationName(QStringLiteral("Quillet"));
    // The desktop entry's name (without ".desktop"): Wayland's app id and what the desktop uses
    // to match our windows with the launcher, its icon and its name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillet.Quillet"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(translator);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    font.setStyleHint(QFont::SansSerif);
    app.setFont(font);
}

} // namespace rt
