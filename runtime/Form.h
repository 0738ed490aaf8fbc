#pragma once

#include <QMargins>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QEventLoop;

namespace rt {

// A top-level window whose size and position are given as the outer rectangle, frame included,
// the way the board computes them. Two borders: none, or a fixed dialog frame with a caption.
class Form : public QWidget {
public:
    enum class Border { None, Dialog };

    // The dialog frame reckoned with where nobody can tell the real one (no X display): one
    // pixel at each side, the caption line plus one pixel on top. On X the window manager is
    // asked for its frame before the window is placed, and without a window manager there is
    // no frame at all, so that the outer rectangle stays what was asked for.
    static constexpr QMargins kAssumedFrame{1, 23, 1, 1};

    explicit Form(QWidget* parent = nullptr);

    void setBorder(Border border);
    Border border() const { return border_; }
    void setStayOnTop(bool onTop);
    // Both at once: the window manager sees one new native window, not two in a row.
    void setFrame(Border border, bool onTop);
    bool stayOnTop() const { return onTop_; }

    // Outer rectangle, frame included; on screen the client area is this minus the frame the
    // window manager draws (none for a window without border).
    void setBounds(int left, int top, int width, int height);
    void setLeft(int left) { setBounds(left, top(), width_, height_); }
    void setTop(int top) { setBounds(left(), top, width_, height_); }
    void setOuterSize(int width, int height) { setBounds(left(), top(), width, height); }
    int left() const;
    int top() const;
    int outerWidth() const { return width_; }
    int outerHeight() const { return height_; }
    int clientWidth() const;
    int clientHeight() const;
    // The frame around the client area: none without border, else the window manager's.
    QMargins frameMargins() const;
    // While the window has a frame, its client area is at least this big: where the window
    // manager's frame is taller or wider than the thin one the outer sizes are reckoned with, the
    // window grows instead of cutting what lies along its edges. Empty: the outer size holds.
    void setMinimumClientSize(const QSize& size);
    void centreOn(int screenWidth, int screenHeight);
    // Centred in a rectangle of the screen (a monitor of several).
    void centreOn(const QRect& area);

    // Shows the window modal to the whole program and returns when it closes (by the program or
    // by the user): a dialog of the window it was opened from, whose frame offers no minimise
    // button. A window manager that hides or minimises it anyway does not end the session. Tab
    // goes through its controls row by row, and the focus is shown from the start.
    void showModal();
    bool isShownModal() const { return modalLoop_ != nullptr; }
    // Shows the window above the others and gives it the focus, also when it was minimised.
    void bringToFront();
    // Whenever the window can take keys, one of its controls has the focus: the one it had, where
    // it still shows; else `preferred`, the one that had it last, or the first by rows. The
    // keyboard's frame shows on a control given the focus here. A window without a control that can
    // take the focus keeps none, so that no key acts on a hidden one.
    void keepFocus(QWidget* preferred = nullptr);
    // A control the user reaches by Tab alone: never given the focus unasked, by keepFocus or on
    // the window's activation, so that a key meant for something else does not press it.
    static void setTabOnly(QWidget* control);
    static bool tabOnly(const QWidget* control);
    // A window that is shown again (after it was hidden, or when its frame changes) takes the
    // keyboard only if it had it: a reminder that comes up leaves the keys with the program the
    // user is typing in. Its first showing, bringToFront and a modal showing activate it.
    void setVisible(bool visible) override;
    // Runs `work` once the window's first frame is on the screen, so that it neither delays
    // nor competes with that frame; after the events waiting now when the window is hidden or
    // was painted before. A window that is not painted within half a second (covered, or on a
    // display that never tells) runs it then. Never after the window is gone.
    void afterFirstFrame(std::function<void()> work);
    // One frame of the screen the window is on, in whole milliseconds rounded up (a 60 Hz frame
    // where the screen does not say).
    int frameMs() const;

    // The caption reaches the window system once per pass of the event loop, however often it
    // changed in that pass (the two countdowns both write it in the same second).
    void setCaption(const QString& caption);
    QString caption() const { return caption_; }

    // The background of the form itself (where no control lies).
    void setColor(const QColor& color);

    std::function<void()> onClose;
    // A key that no control of the window took; true when it was handled.
    std::function<bool(int key)> onKey;
    // After every change of the window's size or frame.
    std::function<void()> onGeometry;
    // The window became the active one (a click, Alt+Tab, the program's own request).
    std::function<void()> onActivated;

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void runAfterFirstFrame();
    void becomeActive();
    bool setX11Title(const QString& title);
    void listenToProperties(bool listen);
    void applyFlags();
    void applyGeometry();
    void refitFrame();
    bool onScreen() const;
    bool learnFrame() const;

    Border border_ = Border::Dialog;
    bool onTop_ = false;
    bool constructed_ = false;
    // Shown modally at least once: a dialog's frame from then on, without minimise button.
    bool dialog_ = false;
    QEventLoop* modalLoop_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 640, height_ = 480;
    QSize minimumClient_;
    QPointer<QWidget> lastFocus_; // the control that had the focus last
    // Shown at least once; and whether it was the active window when it was last hidden.
    bool shownOnce_ = false;
    bool activeWhenHidden_ = false;
    QString caption_;
    QString sentCaption_;
    bool captionPending_ = false;
    // The frame the client area was last placed with, and the dialog frame the window manager
    // drew last or told when asked (a new native window gets the same one).
    QMargins placedFrame_;
    mutable QMargins dialogFrame_ = kAssumedFrame;
    mutable bool frameTold_ = false;
    mutable bool frameAsked_ = false;
    bool refitPending_ = false;
    std::uint32_t netWmName_ = 0, utf8String_ = 0, netFrameExtents_ = 0;
    // A window whose caption counts every second stops listening to changes of its properties
    // (the window manager answers each new caption with two of its own): the native window it
    // happened to, the event mask it had, and the captions written to the native window shown.
    std::uint32_t deafWindow_ = 0;
    std::uint32_t listeningMask_ = 0;
    int titleWrites_ = 0;
    // Work waiting for the first frame, and whether that frame has been painted.
    std::vector<std::function<void()>> afterFirstFrame_;
    bool firstFramePainted_ = false;
};

} // namespace rt
