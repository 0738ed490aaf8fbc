// The X11 sources against a real X server with a window manager (tests/wm/desktop-x11.sh runs
// them on a private Xvfb with openbox): idle time from the server's alarms, full-screen windows
// in front, the XEmbed tray coming and going. Input comes from xdotool.
#include "desktop/x11/ActiveWindow.h"
#include "desktop/x11/FullScreenHold.h"
#include "desktop/x11/X11IdleSource.h"
#include "desktop/x11/XEmbedTray.h"
#include "runtime/Clock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include <unistd.h>
#include <xcb/xcb.h>

namespace {

// Only on the private test server: these tests move the pointer and put windows in front.
bool onTestServer() {
    return std::getenv("DISPLAY") && std::getenv("QUILLET_X_DIR");
}

// Runs the event loop until `done`; the timeout only bounds a failure.
template <typename F> bool waitFor(F done, int timeoutMs = 10000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTimer wake;
        wake.start(20);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Input as the user gives it: the pointer moves somewhere else each time.
void moveMouse() {
    static int step = 0;
    ++step;
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"),
                                {QStringLiteral("mousemove"), QString::number(100 + step % 2 * 50),
                                 QString::number(100 + step * 7 % 300)}),
              0);
}

// Plain X windows of another (or this) program, and the requests a pager sends about them.
struct Windows {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    ~Windows() { xcb_disconnect(c); }

    xcb_atom_t atom(const char* name) {
        auto* r = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, strlen(name), name), nullptr);
        const xcb_atom_t a = r->atom;
        free(r);
        return a;
    }
    // A mapped window; with `pid` it carries it as _NET_WM_PID, with `wmClass` as WM_CLASS.
    xcb_window_t open(std::uint32_t pid, std::string_view wmClass = {}) {
        const xcb_window_t w = xcb_generate_id(c);
        const xcb_screen_t* s = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, w, root, 0, 0, 200, 150, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual, 0, nullptr);
        if (pid)
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL,
                                32, 1, &pid);
        if (!wmClass.empty())
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                                std::uint32_t(wmClass.size()), wmClass.data());
        xcb_map_window(c, w);
        xcb_flush(c);
        return w;
    }
    void ask(xcb_window_t w, const char* type, std::vector<std::uint32_t> data) {
        xcb_client_message_event_t m{};
        m.response_type = XCB_CLIENT_MESSAGE;
        m.format = 32;
        m.window = w;
        m.type = atom(type);
        std::copy(data.begin(), data.end(), m.data.data32);
        xcb_send_event(c, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&m));
        xcb_flush(c);
    }
    void destroy(xcb_window_t w) {
        xcb_destroy_window(c, w);
        xcb_flush(c);
    }
    // `w` takes the selection as a tray does when it starts.
    void own(xcb_window_t w, const char* selection) {
        xcb_set_selection_owner(c, w, atom(selection), XCB_CURRENT_TIME);
        xcb_flush(c);
    }
    void activate(xcb_window_t w) { ask(w, "_NET_ACTIVE_WINDOW", {2, XCB_CURRENT_TIME, 0}); }
    void fullScreen(xcb_window_t w, bool on) {
        ask(w, "_NET_WM_STATE", {on ? 1u : 0u, atom("_NET_WM_STATE_FULLSCREEN"), 0, 2});
    }
    bool isFullScreen(xcb_window_t w) {
        auto* r = xcb_get_property_reply(
            c, xcb_get_property(c, 0, w, atom("_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 32), nullptr);
        const auto* a = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
        const bool on = std::count(a, a + xcb_get_property_value_length(r) / 4,
                                   atom("_NET_WM_STATE_FULLSCREEN")) > 0;
        free(r);
        return on;
    }
};

} // namespace

TEST(X11IdleSource, AwayFromTheLastInputBackOnInputAndRearmedByANewThreshold) {
    if (!onTestServer())
        GTEST_SKIP() << "needs the private X server of tests/wm/desktop-x11.sh";
    rt::SystemClock clock;
    desk::X11IdleSource idle(clock);
    ASSERT_TRUE(idle.available());
    EXPECT_EQ(idle.name(), QStringLiteral("X11"));
    std::vector<std::int64_t> away, awayAt, backAt;
    idle.wentAway = [&](std::int64_t since) {
        away.push_back(since);
        awayAt.push_back(clock.nowMs());
    };
    idle.cameBack = [&] { backAt.push_back(clock.nowMs()); };

    for (const std::int64_t threshold : {1500, 2500}) {
        SCOPED_TRACE(threshold);
        moveMouse();
        const std::int64_t input = clock.nowMs();
        idle.setIdleThresholdMs(threshold);
        ASSERT_TRUE(waitFor([&] { return !away.empty(); }));
        EXPECT_NEAR(double(away.back()), double(input), 300);
        // Not one of the old threshold's alarms.
        EXPECT_GE(awayAt.back() - input, threshold - 100);
        EXPECT_TRUE(backAt.empty());
        moveMouse();
        ASSERT_TRUE(waitFor([&] { return !backAt.empty(); }));
        EXPECT_EQ(away.size(), 1u);
        away.clear();
        backAt.clear();
    }

    // A threshold below the idle time already reached reports away at once, from the event loop.
    idle.setIdleThresholdMs(60000);
    moveMouse();
    const std::int64_t input = clock.nowMs();
    ASSERT_TRUE(waitFor([&] { return idle.idleMs() >= 600; }));
    idle.setIdleThresholdMs(500);
    EXPECT_TRUE(away.empty());
    ASSERT_TRUE(waitFor([&] { return !away.empty(); }));
    EXPECT_NEAR(double(away.back()), double(input), 300);
    moveMouse();
    ASSERT_TRUE(waitFor([&] { return !backAt.empty(); }));
    EXPECT_EQ(away.size(), 1u);
}

TEST(X11FullScreenHold, AForeignFullScreenWindowInFrontHoldsAndTheProgramsOwnDoesNot) {
    if (!onTestServer())
        GTEST_SKIP() << "needs the private X server of tests/wm/desktop-x11.sh";
    Windows x;
    rt::SystemClock clock;
    desk::FullScreenHold hold(std::make_shared<desk::ActiveWindow>(clock));
    ASSERT_TRUE(hold.available());
    int changes = 0;
    hold.changed = [&] { ++changes; };

    const xcb_window_t film = x.open(0);
    x.activate(film);
    ASSERT_TRUE(waitFor([&] { return hold.activeWindow() == film; }));
    EXPECT_FALSE(hold.holding());
    x.fullScreen(film, true);
    ASSERT_TRUE(waitFor([&] { return hold.holding(); }));
    EXPECT_EQ(changes, 1);
    x.fullScreen(film, false);
    ASSERT_TRUE(waitFor([&] { return !hold.holding(); }));
    EXPECT_EQ(changes, 2);

    // The program's own full-screen board in front holds nothing, and taking the place of a
    // full-screen film in front ends the film's hold.
    const xcb_window_t board = x.open(std::uint32_t(getpid()));
    x.activate(board);
    ASSERT_TRUE(waitFor([&] { return hold.activeWindow() == board; }));
    x.fullScreen(board, true);
    x.fullScreen(film, true);
    ASSERT_TRUE(waitFor([&] { return x.isFullScreen(board) && x.isFullScreen(film); }));
    x.activate(film);
    ASSERT_TRUE(waitFor([&] { return hold.holding(); }));
    x.activate(board);
    ASSERT_TRUE(waitFor([&] { return !hold.holding(); }));
    EXPECT_TRUE(x.isFullScreen(board));
    EXPECT_EQ(changes, 4);
}

TEST(ProgramClass, WmClassNamesTheProgramByItsClassOrInstanceInAnyLetterCase) {
    using namespace std::string_view_literals;
    constexpr auto raw = "libreoffice\0libreoffice-impress\0"sv;
    const desk::WindowClass impress = desk::windowClassOf(raw.data(), int(raw.size()));
    EXPECT_EQ(impress.instance, QStringLiteral("libreoffice"));
    EXPECT_EQ(impress.name, QStringLiteral("libreoffice-impress"));
    EXPECT_TRUE(desk::isListed(impress, {QStringLiteral("LibreOffice-Impress")}));
    EXPECT_TRUE(desk::isListed(impress, {QStringLiteral("obs"), QStringLiteral("libreoffice")}));
    EXPECT_FALSE(desk::isListed(impress, {QStringLiteral("libreoffice-writer")}));
    EXPECT_FALSE(desk::isListed({}, {QString()})) << "no window is no program";
    constexpr auto cut = "xterm\0Vortrag"sv; // without its last NUL
    EXPECT_EQ(desk::windowClassOf(cut.data(), int(cut.size())).name, QStringLiteral("Vortrag"));
}

TEST(X11ActiveWindow, AListedProgramInFrontHoldsAndTheOneBeforeTheProgramsOwnIsKnown) {
    if (!onTestServer())
        GTEST_SKIP() << "needs the private X server of tests/wm/desktop-x11.sh";
    using namespace std::string_view_literals;
    Windows x;
    rt::ManualClock clock;
    auto active = std::make_shared<desk::ActiveWindow>(clock);
    desk::ProgramHold hold(active);
    ASSERT_TRUE(hold.available());
    hold.setHeldPrograms({QStringLiteral("vortrag")});
    int changes = 0;
    hold.changed = [&] { ++changes; };

    const xcb_window_t talk = x.open(0, "xterm\0Vortrag\0"sv);
    x.activate(talk);
    ASSERT_TRUE(waitFor([&] { return active->window() == talk; }));
    EXPECT_TRUE(hold.holding());
    EXPECT_EQ(changes, 1);

    // The program's own window: no program in front, the one before is remembered, also though
    // the window manager named no window for a moment in between.
    const xcb_window_t board = x.open(std::uint32_t(getpid()), "quillet\0Quillet\0"sv);
    x.activate(board);
    ASSERT_TRUE(waitFor([&] { return active->window() == board; }));
    EXPECT_FALSE(hold.holding());
    EXPECT_EQ(active->lastOther().name, QStringLiteral("Vortrag"));
    const xcb_window_t other = x.open(0, "mousepad\0Mousepad\0"sv);
    x.activate(other);
    ASSERT_TRUE(waitFor([&] { return active->lastOther().name == QStringLiteral("Mousepad"); }));

    // Taken off the list, the program holds no more, also when it is in front again.
    hold.setHeldPrograms({});
    x.activate(talk);
    ASSERT_TRUE(waitFor([&] { return active->window() == talk; }));
    EXPECT_FALSE(hold.holding());
    EXPECT_EQ(changes, 2);

    // No window at all for a second (the desktop clicked): none came before the program's own.
    const xcb_window_t none = XCB_NONE;
    xcb_change_property(x.c, XCB_PROP_MODE_REPLACE, x.root, x.atom("_NET_ACTIVE_WINDOW"),
                        XCB_ATOM_WINDOW, 32, 1, &none);
    xcb_flush(x.c);
    ASSERT_TRUE(waitFor([&] { return active->window() == XCB_NONE; }));
    clock.advanceMs(desk::ActiveWindow::kNoWindowMs);
    x.activate(board);
    ASSERT_TRUE(waitFor([&] { return active->window() == board; }));
    EXPECT_EQ(active->lastOther(), desk::WindowClass{});
    for (const xcb_window_t w : {talk, board, other})
        x.destroy(w);
}

TEST(X11XEmbedTray, TellsATrayThatStartsEndsOrTakesAnothersPlace) {
    if (!onTestServer())
        GTEST_SKIP() << "needs the private X server of tests/wm/desktop-x11.sh";
    Windows x;
    desk::XEmbedTray tray;
    ASSERT_TRUE(tray.available());
    ASSERT_FALSE(tray.owned()) << "no tray on the test server";
    std::vector<bool> told;
    tray.changed = [&](bool owned) { told.push_back(owned); };

    const xcb_window_t first = x.open(0);
    x.own(first, "_NET_SYSTEM_TRAY_S1"); // another screen's tray is none of ours
    x.own(first, "_NET_SYSTEM_TRAY_S0");
    ASSERT_TRUE(waitFor([&] { return tray.owned(); }));
    EXPECT_EQ(tray.owner(), first);
    EXPECT_EQ(told, std::vector<bool>{true});

    const xcb_window_t second = x.open(0); // a second tray takes over: the icon docks anew
    x.own(second, "_NET_SYSTEM_TRAY_S0");
    ASSERT_TRUE(waitFor([&] { return tray.owner() == second; }));
    EXPECT_EQ(told, (std::vector<bool>{true, false, true}));

    x.destroy(second); // the tray ends (killed: its windows go with its connection)
    ASSERT_TRUE(waitFor([&] { return !tray.owned(); }));
    EXPECT_EQ(told, (std::vector<bool>{true, false, true, false}));
    x.destroy(first);
}
