#include "runtime/Controls.h"
#include "runtime/Clock.h"
#include "runtime/ErrorReport.h"
#include "runtime/Form.h"
#include "runtime/SpinField.h"
#include "runtime/Timer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTime>
#include <QWindow>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

TEST(Glyphs, TheBottomLeftColourIsTransparent) {
    QImage bmp(4, 3, QImage::Format_RGB32);
    bmp.fill(qRgb(128, 128, 0));
    bmp.setPixel(1, 1, qRgb(10, 20, 30));
    bmp.setPixel(3, 0, qRgb(128, 128, 1)); // close, but not the key
    const QImage out = rt::keyOutBottomLeft(bmp);
    EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(out.pixel(0, 2)), 0);
    EXPECT_EQ(out.pixel(1, 1), qRgb(10, 20, 30));
    EXPECT_EQ(qAlpha(out.pixel(3, 0)), 255);
}

TEST(SpeedButtons, PaintInEveryState) {
    QWidget bar;
    rt::SpeedButton button(&bar);
    button.setGeometry(0, 0, 30, 30);
    QImage glyph(26, 26, QImage::Format_RGB32);
    glyph.fill(qRgb(128, 128, 0));
    glyph.setPixel(13, 13, qRgb(0, 0, 255));
    button.setGlyph(glyph);
    for (bool flat : {false, true})
        for (bool enabled : {true, false}) {
            button.setFlat(flat);
            button.setEnabled(enabled);
            const QImage shown = button.grab().toImage();
            ASSERT_EQ(shown.size(), QSize(30, 30));
            // The key colour never shows; the glyph does (greyed when disabled).
            EXPECT_NE(shown.pixel(3, 3) & 0xffffff, 0x808000u);
            EXPECT_NE(shown.pixel(15, 15), shown.pixel(3, 3)) << flat << enabled;
        }
}

TEST(ImageControl, PaintsItsBitmapStretchedAndSeesChangesToIt) {
    QWidget host;
    host.resize(40, 20);
    rt::Image image(&host);
    image.setGeometry(0, 0, 40, 20);
    QImage bmp(4, 2, QImage::Format_RGB32);
    bmp.fill(Qt::blue);
    image.setPicture(bmp);
    EXPECT_EQ(image.grab().toImage().pixel(30, 15), QColor(Qt::blue).rgb());

    // Direct pixel access on the loaded bitmap, then a drawing on it.
    image.bitmap().setPixel(3, 1, qRgb(255, 0, 0));
    {
        QPainter p(&image.bitmap());
        p.fillRect(0, 0, 1, 1, Qt::green);
    }
    image.bitmapChanged();
    const QImage shown = image.grab().toImage();
    EXPECT_EQ(shown.pixel(35, 15), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(2, 2), QColor(Qt::green).rgb());
    EXPECT_EQ(image.bitmap().size(), QSize(4, 2)) << "the bitmap keeps its own size";
}

// A panel of one colour that grows paints only the rows it gained (the breathing blind grows a
// few rows at a time); one with a centred caption paints itself whole, since the caption moves.
TEST(Panels, GrowingPaintsOnlyWhatIsNewUnlessACaptionMoves) {
    struct PaintLog : QObject {
        QRegion painted;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint)
                painted += static_cast<QPaintEvent*>(e)->region();
            return false;
        }
    };
    QWidget host;
    host.resize(100, 100);
    rt::Panel blind(&host, Qt::red);
    blind.setGeometry(0, 0, 3, 10);
    rt::Panel titled(&host, Qt::black);
    titled.setGeometry(10, 0, 60, 10);
    titled.setCaption(QStringLiteral("Loading ..."), Qt::red);
    host.show();
    QCoreApplication::processEvents();
    PaintLog blindLog, titledLog;
    blind.installEventFilter(&blindLog);
    titled.installEventFilter(&titledLog);
    blind.resize(3, 14);
    titled.resize(60, 14);
    host.repaint();
    EXPECT_EQ(blindLog.painted, QRegion(0, 10, 3, 4));
    EXPECT_EQ(titledLog.painted, QRegion(0, 0, 60, 14));
}

// The text area makes its editor when first shown: what was written before is there, in the
// area's colours and size, and later lines follow.
TEST(TextAreas, ShowWhatWasWrittenBeforeAndAfterTheyWereShown) {
    QWidget host;
    host.resize(200, 100);
    rt::TextArea area(&host);
    area.setGeometry(2, 2, 150, 60);
    QPalette pal = area.palette();
    pal.setColor(QPalette::Base, Qt::yellow);
    area.setPalette(pal);
    area.addLine(QStringLiteral("Einatmen"));
    area.addLine(QStringLiteral("Ausatmen\nHalten"));
    EXPECT_EQ(area.lines(), (QStringList{"Einatmen", "Ausatmen", "Halten"}));
    EXPECT_TRUE(area.findChildren<QPlainTextEdit*>().isEmpty()) << "no editor before it shows";

    host.show();
    QPlainTextEdit* editor = area.editor();
    ASSERT_EQ(area.findChildren<QPlainTextEdit*>().size(), 1);
    EXPECT_EQ(editor->toPlainText(), area.toPlainText());
    EXPECT_EQ(editor->geometry(), QRect(0, 0, 150, 60));
    EXPECT_TRUE(editor->isReadOnly());
    EXPECT_EQ(editor->viewport()->palette().color(QPalette::Base), QColor(Qt::yellow));

    area.clearLines();
    EXPECT_TRUE(area.lines().isEmpty());
    area.addLine(QStringLiteral("Ende der Übung"));
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("Ende der Übung"));
    area.resize(100, 40);
    EXPECT_EQ(editor->size(), QSize(100, 40));
}

// An instruction longer than the area is shown from its first line, with a scroll bar to read
// the rest; both when it is written while the area shows and before it is first shown.
TEST(TextAreas, ALongInstructionShowsFromItsFirstLineWithAScrollBar) {
    const QString longText = QStringLiteral(
        "Wir visieren auf der gegenüberliegenden Wand in Verlängerung der Nase eine tatsächliche "
        "oder gedachte senkrechte Linie an. Ohne den Kopf zu bewegen, wandern wir nun mit "
        "unserem Blick zum oberen Ende dieser Linie, zur Mitte, zum unteren Ende, zur Mitte, "
        "und so weiter ... und noch einmal zum oberen Ende, zur Mitte, zum unteren Ende.");
    QWidget host;
    host.resize(340, 90);
    rt::TextArea shown(&host);
    shown.setGeometry(2, 2, 329, 82);
    shown.setFont(rt::pixelFont(11));
    host.show();
    shown.addLine(QStringLiteral("Kurz"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(shown.editor()->verticalScrollBar()->isVisible()) << "a short text needs none";

    rt::TextArea early(&host);
    early.setGeometry(2, 2, 329, 82);
    early.setFont(rt::pixelFont(11));
    early.hide();
    early.addLine(longText);

    shown.clearLines();
    shown.addLine(longText);
    early.show();
    for (rt::TextArea* area : {&shown, &early}) {
        QCoreApplication::processEvents();
        QPlainTextEdit* editor = area->editor();
        const QScrollBar* bar = editor->verticalScrollBar();
        EXPECT_GT(bar->maximum(), 0) << "the text is longer than the area";
        EXPECT_TRUE(bar->isVisible());
        EXPECT_EQ(bar->value(), 0);
        EXPECT_EQ(editor->cursorForPosition(QPoint(4, 4)).position(), 0)
            << "the first line is at the top";
    }
}

// Work that must not compete with the first frame runs right after it; on a hidden window, after
// the events waiting now.
TEST(FormFrames, WorkWaitsForTheFirstFrameOnlyWhileTheWindowShows) {
    rt::Form hidden;
    int ran = 0;
    hidden.afterFirstFrame([&] { ++ran; });
    EXPECT_EQ(ran, 0) << "never inside the caller";
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 1);

    rt::Form shown;
    shown.setBounds(10, 10, 200, 100);
    bool exposedWhenRun = false;
    shown.afterFirstFrame([&] {
        exposedWhenRun = shown.windowHandle()->isExposed();
        ++ran;
    });
    shown.show();
    QElapsedTimer t;
    t.start();
    while (ran < 2 && t.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(ran, 2);
    EXPECT_TRUE(exposedWhenRun);
    // Painted once, later work runs without waiting.
    shown.afterFirstFrame([&] { ++ran; });
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 3);
}

TEST(FormShapes, OuterSizeIncludesTheDialogFrame) {
    rt::Form form;
    form.setBounds(10, 20, 337, 63);
    EXPECT_EQ(form.clientWidth(), 335);
    EXPECT_EQ(form.clientHeight(), 39);
    form.setBorder(rt::Form::Border::None);
    EXPECT_EQ(form.clientWidth(), 337);
    EXPECT_EQ(form.clientHeight(), 63);
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    form.setStayOnTop(true);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    form.centreOn(1024, 768);
    EXPECT_EQ(form.left(), (1024 - 337) / 2);
    EXPECT_EQ(form.top(), (768 - 63) / 2);
}

TEST(FormShapes, ChangingTheFrameOfAShownWindowKeepsItShownAndInPlace) {
    rt::Form form;
    form.setBounds(50, 60, 300, 200);
    form.show();
    form.setBorder(rt::Form::Border::None);
    form.setStayOnTop(true);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.left(), 50);
    EXPECT_EQ(form.top(), 60);
}

// A typed number reads as the bound on its side, however many digits it has; a text that is no
// number reads as the lower bound; leaving the field shows what it reads.
TEST(SpinFields, TypedNumbersBeyondTheBoundsReadAsTheNearerBound) {
    rt::SpinField field(nullptr, 5, 300);
    field.setTypable(true);
    const auto reads = [&field](const char* text) {
        field.editor()->setText(QString::fromLatin1(text));
        return field.value();
    };
    EXPECT_EQ(reads("2147483647"), 300);
    EXPECT_EQ(reads("2147483648"), 300);
    EXPECT_EQ(reads(" +99999999999999999999999 "), 300);
    EXPECT_EQ(reads("-2147483649"), 5);
    EXPECT_EQ(reads("-2"), 5);
    EXPECT_EQ(reads(" 42 "), 42);
    EXPECT_EQ(reads("99999999999999999999x"), 5);
    EXPECT_EQ(reads("-"), 5);
    EXPECT_EQ(reads(""), 5);

    field.editor()->setText(QStringLiteral("4294967296"));
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(&field, &out);
    EXPECT_EQ(field.editor()->text(), QStringLiteral("300"));
}

TEST(Timers, EnabledAndIntervalBehaveLikeProperties) {
    rt::Timer t(500);
    EXPECT_FALSE(t.enabled());
    t.setEnabled(true);
    t.setInterval(2);
    EXPECT_TRUE(t.enabled());
    EXPECT_EQ(t.interval(), 2);
    t.setEnabled(false);
    EXPECT_FALSE(t.enabled());
}

TEST(Timers, PeriodsOfATenthOfASecondOrMoreStartInStep) {
    // The first tick comes at the next multiple of the period, so two one-second timers
    // started a few milliseconds apart expire together.
    EXPECT_EQ(rt::Timer::firstDelay(10'234, 1000), 766);
    EXPECT_EQ(rt::Timer::firstDelay(10'240, 1000), 760);
    EXPECT_EQ(rt::Timer::firstDelay(10'000, 1000), 1000);
    EXPECT_EQ(rt::Timer::firstDelay(10'234, 500), 266);
    // The blind's two-millisecond ticks start at once.
    EXPECT_EQ(rt::Timer::firstDelay(10'233, 2), 2);
}

// The program's clock is the boot clock, which counts sleep, and not the wall clock, which the
// user, the time zone or summer time can set back: it reads what CLOCK_BOOTTIME reads.
TEST(SystemClock, ReadsTheBootClockWhateverTheTimeZone) {
    const auto boot = [] {
        timespec t{};
        clock_gettime(CLOCK_BOOTTIME, &t);
        return std::int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000;
    };
    const QByteArray zone = qgetenv("TZ");
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    const rt::SystemClock clock;
    std::int64_t last = 0;
    for (const char* tz : {"UTC0", "NPT-5:45", "CET-1CEST,M3.5.0,M10.5.0/3"}) {
        qputenv("TZ", tz);
        tzset();
        const std::int64_t before = boot();
        const std::int64_t now = clock.nowMs();
        EXPECT_GE(now, before) << tz;
        EXPECT_LE(now, boot()) << tz;
        EXPECT_GE(now, last) << tz;
        last = now;
    }
    if (hadZone)
        qputenv("TZ", zone);
    else
        qunsetenv("TZ");
    tzset();
}
