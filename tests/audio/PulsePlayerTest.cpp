#include "runtime/audio/PulsePlayer.h"
#include "runtime/ErrorReport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <pulse/pulseaudio.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

// The live tests play into a real PulseAudio server and listen to what comes out. They need a null
// sink called "nul" (scripts/pulse-test-server.sh starts such a server) and never play anywhere
// else. Without one they are skipped, unless QUILLET_PULSE_TESTS=1 demands them. The tests of a
// lost server start a pulseaudio of their own.

namespace {

using namespace std::chrono_literals;

constexpr int kRate = 44100;   // of the recording
constexpr int kLoud = 2000;    // quieter samples count as silence; the tones peak at 16384
constexpr double kToneA = 440; // Hz
constexpr double kToneB = 880;

bool pulseTestsDemanded() {
    return qgetenv("QUILLET_PULSE_TESTS") == "1";
}

// True when `text` gives one of libpulse's own error texts as its reason (after a German one
// where there is one).
bool namesLibpulseError(const QString& text) {
    const qsizetype at = text.lastIndexOf(QStringLiteral("Grund: "));
    if (at < 0)
        return false;
    const QString reason = text.mid(at + 7);
    for (int error = 1; error < PA_ERR_MAX; ++error) {
        const QString library = QString::fromUtf8(pa_strerror(error));
        if (reason == library || reason.endsWith(QStringLiteral(" (") + library + QLatin1Char(')')))
            return true;
    }
    return false;
}

// True when `text` tells that the narration needs a sound server.
bool namesMissingServer(const QString& text) {
    return text.contains(QStringLiteral("Tonserver")) &&
           text.contains(QStringLiteral("PulseAudio oder PipeWire")) && namesLibpulseError(text);
}

// Collects the reports and notes whether they all came on the thread that made the report.
class ThreadCheckingReport final : public rt::ErrorReport {
public:
    void report(const QString& text) override {
        std::lock_guard lock(mutex_);
        texts_.append(text);
        if (QThread::currentThread() != owner_)
            offThread_ = true;
    }
    void tell(const QString& text) override { report(text); }
    QStringList texts() const {
        std::lock_guard lock(mutex_);
        return texts_;
    }
    bool offThread() const {
        std::lock_guard lock(mutex_);
        return offThread_;
    }

private:
    mutable std::mutex mutex_;
    QThread* owner_ = QThread::currentThread();
    QStringList texts_;
    bool offThread_ = false;
};

// Sets an environment variable for the lifetime of this object. libpulse reads PULSE_SERVER and
// PULSE_SINK whenever the player makes a new connection.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), wasSet_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (wasSet_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    bool wasSet_;
    QByteArray old_;
};

// A child process; with `collect` its stdout is read without pause on a thread of our own, so
// that a recorder never has to wait for us (and drop samples) while the test sleeps.
class Child {
public:
    Child(const std::vector<std::string>& args, const char* stdinPath, bool collect) {
        int pipeFds[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, stdinPath, O_RDONLY, 0);
        if (collect && pipe2(pipeFds, O_CLOEXEC) == 0)
            posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        else
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (pipeFds[1] >= 0)
            close(pipeFds[1]);
        if (pipeFds[0] >= 0) {
            const int fd = pipeFds[0];
            reader_ = std::thread([this, fd] {
                char buffer[8192];
                for (;;) {
                    const ssize_t got = read(fd, buffer, sizeof buffer);
                    if (got > 0) {
                        std::lock_guard lock(mutex_);
                        output_.append(buffer, static_cast<std::size_t>(got));
                    } else if (got == 0 || errno != EINTR) {
                        break;
                    }
                }
                close(fd);
            });
        }
    }
    ~Child() { end(SIGTERM); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return pid_ > 0; }

    void end(int signal) {
        if (pid_ > 0) {
            kill(pid_, signal);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        if (reader_.joinable())
            reader_.join();
    }

    // The output so far as native 16-bit samples.
    std::vector<std::int16_t> samples() const {
        std::lock_guard lock(mutex_);
        std::vector<std::int16_t> samples(output_.size() / 2);
        std::copy_n(output_.data(), samples.size() * 2, reinterpret_cast<char*>(samples.data()));
        return samples;
    }
    std::size_t sampleCount() const {
        std::lock_guard lock(mutex_);
        return output_.size() / 2;
    }

private:
    pid_t pid_ = -1;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::string output_;
};

// Keeps the other test processes (ctest runs them side by side) off the sink "nul" while one of
// them records it.
class SinkLock {
public:
    SinkLock() {
        const QByteArray path = QFile::encodeName(QDir::tempPath() + "/quillet-pulse-tests.lock");
        fd_ = open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            flock(fd_, LOCK_EX);
    }
    ~SinkLock() {
        if (fd_ >= 0)
            close(fd_); // releases the lock
    }
    SinkLock(const SinkLock&) = delete;
    SinkLock& operator=(const SinkLock&) = delete;

private:
    int fd_ = -1;
};

// Waits until `done` holds, letting queued calls of this thread run meanwhile.
bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

void pause(std::chrono::milliseconds time) {
    waitFor([] { return false; }, time);
}

// A blocking connection to the server under test, for looking at it from outside the player.
class Probe {
public:
    explicit Probe(const char* server = nullptr) {
        loop_ = pa_mainloop_new();
        context_ = pa_context_new(pa_mainloop_get_api(loop_), "Quillet test probe");
        if (pa_context_connect(context_, server, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return;
        runUntil([this] {
            return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)) ||
                   pa_context_get_state(context_) == PA_CONTEXT_READY;
        });
    }
    ~Probe() {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        pa_mainloop_free(loop_);
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    bool ready() const { return pa_context_get_state(context_) == PA_CONTEXT_READY; }

    bool hasSink(const char* name) {
        bool found = false;
        bool done = false;
        struct Result {
            bool* found;
            bool* done;
        } result{&found, &done};
        auto callback = [](pa_context*, const pa_sink_info* info, int eol, void* data) {
            auto* r = static_cast<Result*>(data);
            if (eol)
                *r->done = true;
            else if (info)
                *r->found = true;
        };
        run(pa_context_get_sink_info_by_name(context_, name, callback, &result), done);
        return found;
    }

    // Whether each narration stream of this process is corked.
    std::vector<bool> narrationsCorked() {
        struct Result {
            std::vector<bool> corked;
            bool done = false;
        } result;
        auto callback = [](pa_context*, const pa_sink_input_info* info, int eol, void* data) {
            auto* r = static_cast<Result*>(data);
            if (eol) {
                r->done = true;
                return;
            }
            const char* pid = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
            const char* name = pa_proplist_gets(info->proplist, PA_PROP_MEDIA_NAME);
            if (pid && name && std::to_string(getpid()) == pid && std::string(name) == "Ansage")
                r->corked.push_back(info->corked != 0);
        };
        run(pa_context_get_sink_input_info_list(context_, callback, &result), result.done);
        return result.corked;
    }

private:
    void run(pa_operation* operation, const bool& done) {
        if (!operation)
            return;
        runUntil([&] { return done || !ready(); });
        pa_operation_unref(operation);
    }
    void runUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (!done() && std::chrono::steady_clock::now() < end) {
            pa_mainloop_iterate(loop_, 0, nullptr);
            std::this_thread::sleep_for(1ms);
        }
    }

    pa_mainloop* loop_;
    pa_context* context_;
};

// Writes a sine tone at half full scale.
QString writeTone(const QString& file, double hz, double seconds, int rate = kRate,
                  int channels = 1, int format = SF_FORMAT_WAV | SF_FORMAT_PCM_16) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* out = sf_open(QFile::encodeName(file).constData(), SFM_WRITE, &info);
    EXPECT_NE(out, nullptr) << sf_strerror(nullptr);
    if (!out)
        return file;
    const auto frames = static_cast<sf_count_t>(seconds * rate);
    std::vector<short> samples;
    for (sf_count_t i = 0; i < frames; ++i) {
        const auto value =
            static_cast<short>(std::lrint(16384 * std::sin(2 * M_PI * hz * i / rate)));
        samples.insert(samples.end(), static_cast<std::size_t>(channels), value);
    }
    sf_writef_short(out, samples.data(), frames);
    sf_close(out);
    return file;
}

// First and last loud sample at or after `from`, or -1.
struct Stretch {
    long first = -1;
    long last = -1;
    bool found() const { return first >= 0; }
    double seconds() const { return found() ? double(last - first + 1) / kRate : 0; }
};

Stretch loudStretch(const std::vector<std::int16_t>& samples, std::size_t from = 0) {
    Stretch stretch;
    for (std::size_t i = from; i < samples.size(); ++i) {
        if (std::abs(int(samples[i])) > kLoud) {
            if (stretch.first < 0)
                stretch.first = long(i);
            stretch.last = long(i);
        }
    }
    return stretch;
}

// The pitch of each 20 ms of the recording that is loud throughout, from its zero crossings;
// 0 for the others.
constexpr std::size_t kWindow = kRate / 50;

std::vector<double> pitches(const std::vector<std::int16_t>& samples) {
    std::vector<double> result;
    for (std::size_t start = 0; start + kWindow <= samples.size(); start += kWindow) {
        bool loud = true;
        constexpr std::size_t kQuarter = kWindow / 4;
        for (std::size_t part = start; part < start + 4 * kQuarter; part += kQuarter) {
            const auto first = samples.begin() + long(part);
            const auto peak = std::max_element(first, first + long(kQuarter), [](auto a, auto b) {
                return std::abs(int(a)) < std::abs(int(b));
            });
            loud = loud && std::abs(int(*peak)) > kLoud;
        }
        int crossings = 0;
        for (std::size_t i = start + 1; i < start + kWindow; ++i)
            crossings += (samples[i - 1] < 0) != (samples[i] < 0);
        result.push_back(loud ? crossings / 2.0 * 50 : 0);
    }
    return result;
}

bool near(double pitch, double hz) {
    return std::abs(pitch - hz) < hz * 0.06;
}

class PulsePlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QCoreApplication::instance())
            app_ = std::make_unique<QCoreApplication>(argc_, argv_);
        ASSERT_TRUE(dir_.isValid());
    }

    QString file(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir_;

private:
    static inline int argc_ = 1;
    static inline char arg0_[] = "quillet_tests";
    static inline char* argv_[] = {arg0_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};

// Needs the server with the null sink; records what reaches the sink.
class LivePulsePlayerTest : public PulsePlayerTest {
protected:
    void SetUp() override {
        PulsePlayerTest::SetUp();
        if (HasFatalFailure())
            return;
        {
            Probe probe;
            const bool usable = probe.ready() && probe.hasSink("nul");
            if (!usable && pulseTestsDemanded())
                FAIL() << "QUILLET_PULSE_TESTS=1, but no PulseAudio server with a sink \"nul\" is "
                          "reachable; start one with scripts/pulse-test-server.sh";
            if (!usable)
                GTEST_SKIP() << "no PulseAudio server with a sink \"nul\"";
        }
        lock_ = std::make_unique<SinkLock>();
        // The monitor only delivers while something plays into the sink.
        silence_ = std::make_unique<Child>(
            std::vector<std::string>{"pacat", "--playback", "--raw", "--format=s16ne",
                                     "--rate=44100", "--channels=1", "--device=nul"},
            "/dev/zero", false);
        recorder_ = std::make_unique<Child>(
            std::vector<std::string>{"parec", "--device=nul.monitor", "--raw", "--format=s16ne",
                                     "--rate=44100", "--channels=1", "--latency-msec=10"},
            "/dev/null", true);
        ASSERT_TRUE(silence_->started() && recorder_->started()) << "pacat or parec is missing";
        ASSERT_TRUE(waitFor([&] { return recorder_->sampleCount() > kRate / 10; }))
            << "the monitor of \"nul\" delivers nothing";
    }

    void TearDown() override {
        recorder_.reset();
        silence_.reset();
        lock_.reset();
    }

    std::vector<std::int16_t> recording() const { return recorder_->samples(); }

    // Waits until a loud sample has arrived at or after `from`.
    bool waitForSound(std::size_t from = 0) const {
        return waitFor([&] { return loudStretch(recording(), from).found(); });
    }

    std::unique_ptr<SinkLock> lock_;
    std::unique_ptr<Child> silence_;
    std::unique_ptr<Child> recorder_;
    // Never the user's speakers, even if the server has other sinks.
    ScopedEnv sink_{"PULSE_SINK", "nul"};
};

TEST_F(LivePulsePlayerTest, StopCutsOffTheSound) {
    const QString tone = writeTone(file("a.wav"), kToneA, 3.0);
    ThreadCheckingReport report;
    rt::PulsePlayer player(report);
    // Most likely while the connection is still being made, so the sound has to wait for it.
    ASSERT_TRUE(player.play(tone)) << report.texts().join('\n').toStdString();
    ASSERT_TRUE(waitForSound()) << "the tone never reached the sink";
    pause(500ms);
    player.stop();
    pause(1000ms);

    const std::vector<std::int16_t> heard = recording();
    const Stretch stretch = loudStretch(heard);
    EXPECT_GT(stretch.seconds(), 0.3);
    EXPECT_LT(stretch.seconds(), 1.5) << "stop() did not cut off the 3 s tone";
    int toneWindows = 0;
    for (double pitch : pitches(heard))
        toneWindows += near(pitch, kToneA);
    EXPECT_GE(toneWindows, 10) << "what arrived is not the tone";
    EXPECT_TRUE(report.texts().isEmpty()) << report.texts().join('\n').toStdString();
}

TEST_F(LivePulsePlayerTest, NewSoundCutsOffThePreviousOne) {
    const QString a = writeTone(file("a.wav"), kToneA, 3.0);
    const QString b = writeTone(file("b.wav"), kToneB, 0.3);
    ThreadCheckingReport report;
    rt::PulsePlayer player(report);
    ASSERT_TRUE(player.play(a));
    ASSERT_TRUE(waitForSound());
    pause(300ms);
    ASSERT_TRUE(player.play(b));
    pause(1200ms);

    const std::vector<std::int16_t> heard = recording();
    EXPECT_LT(loudStretch(heard).seconds(), 1.5) << "tone A went on under tone B";
    int aWindows = 0, bWindows = 0;
    bool aAfterB = false;
    for (double pitch : pitches(heard)) {
        if (near(pitch, kToneA)) {
            ++aWindows;
            aAfterB = aAfterB || bWindows > 0;
        } else if (near(pitch, kToneB)) {
            ++bWindows;
        }
    }
    EXPECT_GE(aWindows, 5);
    EXPECT_FALSE(aAfterB) << "tone A came back after tone B";
    // All 300 ms of B, give or take the windows at its edges.
    EXPECT_GE(bWindows, 12);
    EXPECT_LE(bWindows, 16);
    EXPECT_TRUE(report.texts().isEmpty()) << report.texts().join('\n').toStdString();
}

// Each sound ends in a corked stream (an idle player costs no wakeups), and the corked stream is
// taken up again by the next sound. Corking must wait until the sink has played the end.
TEST_F(LivePulsePlayerTest, SoundsPlayToTheEndAndLeaveTheStreamCorked) {
    struct Sound {
        QString path;
        double seconds;
    };
    const Sound shortTone{writeTone(file("short.wav"), kToneA, 0.2), 0.2};
    const Sound tiny{writeTone(file("tiny.wav"), kToneB, 0.005), 0.005}; // under the prebuffer
    ThreadCheckingReport report;
    rt::PulsePlayer player(report);
    Probe probe;
    ASSERT_TRUE(probe.ready());

    for (const Sound& sound : {shortTone, shortTone, tiny, shortTone}) {
        SCOPED_TRACE(sound.path.toStdString());
        const std::size_t from = recorder_->sampleCount();
        ASSERT_TRUE(player.play(sound.path));
        ASSERT_TRUE(waitForSound(from)) << "no sound";
        EXPECT_TRUE(waitFor([&] { return probe.narrationsCorked() == std::vector<bool>{true}; }))
            << "the stream was not corked after the sound";
        pause(200ms);
        EXPECT_EQ(probe.narrationsCorked(), std::vector<bool>{true});
        EXPECT_NEAR(loudStretch(recording(), from).seconds(), sound.seconds, 0.002)
            << "the sound was not played whole";
    }
    EXPECT_TRUE(report.texts().isEmpty()) << report.texts().join('\n').toStdString();
}

// Another format needs another stream; the old one goes.
TEST_F(LivePulsePlayerTest, ChangesStreamsForAnotherFormat) {
    const QString mono = writeTone(file("mono.wav"), kToneA, 0.2);
    const QString stereo = writeTone(file("stereo.wav"), kToneB, 0.3, 48000, 2);
    ThreadCheckingReport report;
    rt::PulsePlayer player(report);
    Probe probe;
    ASSERT_TRUE(probe.ready());

    ASSERT_TRUE(player.play(mono));
    ASSERT_TRUE(waitForSound());
    pause(50ms);
    const std::size_t from = recorder_->sampleCount();
    ASSERT_TRUE(player.play(stereo));
    // The mono stream is corked at once; the stereo one comes once its sound is decoded.
    ASSERT_TRUE(waitForSound(from));
    ASSERT_TRUE(waitFor([&] { return probe.narrationsCorked() == std::vector<bool>{true}; }))
        << "expected the one stream of the stereo sound, corked at its end";

    const std::vector<std::int16_t> heard = recording();
    const std::vector<double> stereoPitches = pitches({heard.begin() + long(from), heard.end()});
    const auto inTune = std::count_if(stereoPitches.begin(), stereoPitches.end(),
                                      [](double pitch) { return near(pitch, kToneB); });
    EXPECT_GE(inTune, 12) << "the 48 kHz stereo tone came out wrong";
    EXPECT_TRUE(report.texts().isEmpty()) << report.texts().join('\n').toStdString();
}

// Sounds are decoded on the player's own thread. A sound stopped or replaced while it is being
// decoded is not started once it is ready.
TEST_F(LivePulsePlayerTest, WhatIsAskedForWhileASoundIsDecodedWins) {
    const QString longTone =
        writeTone(file("long.ogg"), kToneA, 20.0, kRate, 1, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    const QString b = writeTone(file("b.wav"), kToneB, 0.3);
    ThreadCheckingReport report;
    rt::PulsePlayer player(report);

    ASSERT_TRUE(player.play(longTone));
    player.stop();
    pause(1000ms);
    EXPECT_LT(loudStretch(recording()).seconds(), 0.2) << "the stopped sound was started";

    const std::size_t from = recorder_->sampleCount();
    ASSERT_TRUE(player.play(longTone));
    ASSERT_TRUE(player.play(b));
    ASSERT_TRUE(waitForSound(from));
    pause(1000ms);
    const std::vector<std::int16_t> heard = recording();
    int aWindows = 0, bWindows = 0;
    for (double pitch : pitches({heard.begin() + long(from), heard.end()})) {
        aWindows += near(pitch, kToneA);
        bWindows += near(pitch, kToneB);
    }
    EXPECT_LE(aWindows, 5) << "the replaced sound was started";
    EXPECT_GE(bWindows, 12);
    EXPECT_TRUE(report.texts().isEmpty()) << report.texts().join('\n').toStdString();
}

// A file whose header reads well but whose sound does not: play() has started it, the report
// comes on the GUI thread once the decoding has failed, and nothing is heard.
TEST_F(LivePulsePlayerTest, AFileThatFailsWhileDecodedIsReportedOnTheGuiThread) {
    const QString cut =
        writeTone(file("cut.ogg"), kToneA, 3.0, kRate, 1, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
    QFile f(cut);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QByteArray whole = f.readAll();
    // The first two pages hold the headers, the third the first sound.
    const int third = whole.indexOf("OggS", whole.indexOf("OggS", whole.indexOf("OggS") + 1) + 1);
    ASSERT_GT(third, 0);
    ASSERT_TRUE(f.resize(third + 40));
    f.close();

    ThreadCheckingReport report;
    rt::PulsePlayer player(report);
    EXPECT_TRUE(player.play(cut));
    ASSERT_TRUE(waitFor([&] { return !report.texts().isEmpty(); }));
    EXPECT_FALSE(report.offThread());
    EXPECT_TRUE(report.texts()[0].contains(cut)) << report.texts()[0].toStdString();
    pause(300ms);
    EXPECT_FALSE(loudStretch(recording()).found());
    EXPECT_EQ(report.texts().size(), 1);
}

TEST_F(LivePulsePlayerTest, ConnectsOnTheNextPlayOnceAServerIsThere) {
    const QString tone = writeTone(file("a.wav"), kToneA, 0.3);
    ThreadCheckingReport report;
    std::unique_ptr<rt::PulsePlayer> player;
    {
        ScopedEnv server("PULSE_SERVER", QFile::encodeName("unix:" + file("no-server")));
        player = std::make_unique<rt::PulsePlayer>(report);
        EXPECT_FALSE(player->play(tone));
    }
    ASSERT_EQ(report.texts().size(), 1);
    EXPECT_TRUE(namesMissingServer(report.texts()[0])) << report.texts()[0].toStdString();

    ASSERT_TRUE(player->play(tone));
    EXPECT_TRUE(waitForSound()) << "the player did not take up the server that came later";
    EXPECT_EQ(report.texts().size(), 1);
}

TEST_F(PulsePlayerTest, MissingFileIsReportedWithItsPath) {
    ThreadCheckingReport report;
    rt::PulsePlayer player(report);
    const QString missing = file("Atemübung.wav");
    EXPECT_FALSE(player.play(missing));
    ASSERT_EQ(report.texts().size(), 1);
    EXPECT_EQ(report.texts()[0],
              QStringLiteral("Die Tondatei „%1“ wurde nicht gefunden.").arg(missing));
}

TEST_F(PulsePlayerTest, WithoutServerPlayReportsLibpulsesReason) {
    const QString tone = writeTone(file("a.wav"), kToneA, 0.1);
    ScopedEnv server("PULSE_SERVER", QFile::encodeName("unix:" + file("no-server")));
    ThreadCheckingReport report;
    rt::PulsePlayer player(report);
    EXPECT_FALSE(player.play(tone));
    ASSERT_EQ(report.texts().size(), 1);
    EXPECT_TRUE(namesMissingServer(report.texts()[0])) << report.texts()[0].toStdString();

    // Each play() tries again, and fails again while there is still no server.
    EXPECT_FALSE(player.play(tone));
    EXPECT_EQ(report.texts().size(), 2);
    player.stop();
    pause(100ms);
    EXPECT_EQ(report.texts().size(), 2) << "a failure was reported twice";
    EXPECT_FALSE(report.offThread());
}

// A server of the test's own, which the test can kill; the player finds it through PULSE_SERVER.
class PrivateServerTest : public PulsePlayerTest {
protected:
    void SetUp() override {
        PulsePlayerTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(QDir().mkpath(file("home")));
        const auto path = [&](const char* name) {
            return QFile::encodeName(file(name)).toStdString();
        };
        server_ = QFile::encodeName("unix:" + file("native"));
        pulse_ = std::make_unique<Child>(
            std::vector<std::string>{
                "env", "HOME=" + path("home"), "XDG_RUNTIME_DIR=" + path(""),
                "XDG_CONFIG_HOME=" + path("home"), "PULSE_STATE_PATH=" + path("state"),
                "PULSE_RUNTIME_PATH=" + path("runtime"), "pulseaudio", "-n", "--daemonize=no",
                "--exit-idle-time=-1", "--use-pid-file=no", "--system=no", "--realtime=no",
                "--high-priority=no", "-L", "module-null-sink sink_name=nul", "-L",
                "module-native-protocol-unix auth-anonymous=1 socket=" + path("native")},
            "/dev/null", false);
        const bool up =
            pulse_->started() && waitFor([&] { return Probe(server_.constData()).ready(); });
        if (!up && pulseTestsDemanded())
            FAIL() << "could not start a private pulseaudio";
        if (!up)
            GTEST_SKIP() << "could not start a private pulseaudio";
        serverEnv_.emplace("PULSE_SERVER", server_);
    }

    void TearDown() override {
        serverEnv_.reset();
        pulse_.reset();
    }

    QByteArray server_;
    std::unique_ptr<Child> pulse_;
    std::optional<ScopedEnv> serverEnv_;
};

// The narration is playing when the server dies.
TEST_F(PrivateServerTest, LosingTheServerIsReportedOnceOnTheGuiThread) {
    const QString tone = writeTone(file("a.wav"), kToneA, 3.0);
    ThreadCheckingReport report;
    rt::PulsePlayer player(report);
    ASSERT_TRUE(player.play(tone)) << report.texts().join('\n').toStdString();
    {
        Probe probe(server_.constData());
        ASSERT_TRUE(waitFor([&] { return probe.narrationsCorked() == std::vector<bool>{false}; }))
            << "the narration never started";
    }
    pulse_->end(SIGKILL);

    ASSERT_TRUE(waitFor([&] { return !report.texts().isEmpty(); }))
        << "losing the server while playing went unreported";
    pause(300ms);
    ASSERT_EQ(report.texts().size(), 1) << report.texts().join('\n').toStdString();
    EXPECT_TRUE(namesLibpulseError(report.texts()[0])) << report.texts()[0].toStdString();
    EXPECT_FALSE(report.offThread()) << "reported from the sound thread";

    // The next play() tries to reconnect, and says at once that it cannot.
    EXPECT_FALSE(player.play(tone));
    EXPECT_EQ(report.texts().size(), 2);
}

} // namespace
