// Pictures decoded ahead on the worker thread arrive on the user-interface thread, once each,
// and nothing let go of comes back.
#include "runtime/PictureAhead.h"
#include "runtime/DataFiles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>

namespace {

const QString kFirst = QStringLiteral("Pictures\\Start\\start1.jpg");
const QString kSecond = QStringLiteral("Pictures\\Start\\start2.jpg");
const QString kMissing = QStringLiteral("Pictures\\Start\\start99.jpg");

class PictureAheadTest : public ::testing::Test {
protected:
    // Runs the event loop until `done` or a generous deadline (a stuck worker fails the test,
    // it does not hang it).
    template <typename Done> bool waitFor(Done done) {
        QDeadlineTimer deadline(20000);
        while (!done() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(1);
        }
        return done();
    }

    rt::DataFiles files{QStringList{QStringLiteral(QUILLET_SOURCE_DATA_DIR)}};
};

} // namespace

TEST_F(PictureAheadTest, PicturesArriveOnTheUserInterfaceThreadOnceEach) {
    rt::PictureAhead ahead(files);
    QStringList ready;
    QList<QThread*> threads;
    ahead.onReady = [&](const QString& path) {
        ready << path;
        threads << QThread::currentThread();
    };
    ahead.request(kFirst);
    ahead.request(kSecond);
    ahead.request(kFirst); // already asked for
    ahead.request(kMissing);
    EXPECT_FALSE(ahead.take(kFirst).has_value()) << "not before it is delivered";
    ASSERT_TRUE(waitFor([&] { return ready.size() == 3; }));
    EXPECT_EQ(ready, (QStringList{kFirst, kSecond, kMissing}));
    for (QThread* t : threads)
        EXPECT_EQ(t, QCoreApplication::instance()->thread());

    std::optional<rt::Picture> first = ahead.take(kFirst);
    ASSERT_TRUE(first.has_value());
    EXPECT_TRUE(first->ok());
    EXPECT_EQ(first->image.size(), QSize(1280, 720));
    EXPECT_FALSE(ahead.take(kFirst).has_value()) << "taken once";
    std::optional<rt::Picture> missing = ahead.take(kMissing);
    ASSERT_TRUE(missing.has_value());
    EXPECT_FALSE(missing->ok());
    EXPECT_TRUE(missing->error.contains(QStringLiteral("start99.jpg")));
    EXPECT_EQ(ahead.held(), 1);
}

TEST_F(PictureAheadTest, WhatIsLetGoOfIsNeitherDeliveredNorHeld) {
    rt::PictureAhead ahead(files);
    QStringList ready;
    ahead.onReady = [&](const QString& path) { ready << path; };
    ahead.request(kFirst);
    ahead.request(kSecond);
    ahead.drop(kFirst); // perhaps being decoded right now
    ASSERT_TRUE(waitFor([&] { return ready.contains(kSecond); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(ready, QStringList{kSecond});
    EXPECT_EQ(ahead.held(), 1);
    ahead.clear();
    EXPECT_EQ(ahead.held(), 0);
    EXPECT_FALSE(ahead.take(kSecond).has_value());

    // Asked for again after being let go of: decoded again.
    ahead.request(kFirst);
    ASSERT_TRUE(waitFor([&] { return ready.contains(kFirst); }));
    EXPECT_TRUE(ahead.take(kFirst).has_value());
}

TEST_F(PictureAheadTest, GoingAwayWhileDecodingDeliversNothingLater) {
    QStringList ready;
    {
        rt::PictureAhead ahead(files);
        ahead.onReady = [&](const QString& path) { ready << path; };
        for (int n = 1; n <= 11; ++n)
            ahead.request(QStringLiteral("Pictures\\Start\\start%1.jpg").arg(n));
    } // waits for the picture being decoded, drops the rest
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(ready.isEmpty());
}
