#include "runtime/ErrorReport.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <functional>

namespace {

// A report whose boxes are only recorded; the test plays the user who closes them.
class QueuedReport : public ::testing::Test {
protected:
    void SetUp() override {
        report.open = [this](QWidget*, const QString& text, std::function<void()> closed) {
            boxes << text;
            close = std::move(closed);
        };
    }
    // The event loop gets its turn: what was queued is shown.
    static void loop() { QCoreApplication::processEvents(); }

    rt::MessageBoxReport report;
    QStringList boxes;
    std::function<void()> close;
};

TEST_F(QueuedReport, NothingIsShownInsideTheCallerEverythingRightAfter) {
    // As inside one timer tick: twelve pictures missing, one after the other.
    for (int n = 1; n <= 12; ++n)
        report.report(QStringLiteral("Bild %1 fehlt").arg(n));
    EXPECT_TRUE(boxes.isEmpty()) << "a box opened inside the tick";
    loop();
    ASSERT_EQ(boxes.size(), 1) << "one box for what came together";
    for (int n = 1; n <= 12; ++n)
        EXPECT_TRUE(boxes[0].contains(QStringLiteral("Bild %1 fehlt").arg(n))) << n;
}

TEST_F(QueuedReport, NeverABoxOnTopOfABoxAndNothingLostWhileOneIsOpen) {
    report.report(QStringLiteral("Ton fehlt"));
    loop();
    ASSERT_EQ(boxes.size(), 1);
    // Ticks go on under the open box and find more problems.
    report.report(QStringLiteral("Bild fehlt"));
    report.report(QStringLiteral("Ton fehlt")); // told already
    report.report(QStringLiteral("Mantra fehlt"));
    loop();
    EXPECT_EQ(boxes.size(), 1) << "a second box while the first is open";
    EXPECT_FALSE(report.idle());

    close();
    EXPECT_EQ(boxes.size(), 1) << "the next box opens from the event loop, not from the close";
    loop();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes[1], QStringLiteral("Bild fehlt\n\nMantra fehlt"));
    close();
    loop();
    EXPECT_TRUE(report.idle());
}

TEST_F(QueuedReport, LoadingProblemsOnceASaveProblemEachTime) {
    report.report(QStringLiteral("Bild fehlt"));
    loop();
    close();
    report.report(QStringLiteral("Bild fehlt"));
    loop();
    EXPECT_EQ(boxes.size(), 1) << "a picture problem is told once per run";

    for (int i = 0; i < 2; ++i) {
        report.tell(QStringLiteral("Speichern misslungen"));
        report.tell(QStringLiteral("Speichern misslungen"));
        loop();
        close();
    }
    EXPECT_EQ(boxes, (QStringList{"Bild fehlt", "Speichern misslungen", "Speichern misslungen"}))
        << "each failed save is told, but never twice in one box";
}

} // namespace
