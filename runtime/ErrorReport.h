#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace rt {

// The one place where problems are told to the user. Reporting never waits for the user: the
// caller goes on at once, and the failed operation counts as done.
class ErrorReport {
public:
    virtual ~ErrorReport() = default;
    // A picture or sound that could not be loaded, a sound server that is not there: told once
    // per run, however often it recurs.
    virtual void report(const QString& text) = 0;
    // A problem the user must hear of each time it happens (a save that failed).
    virtual void tell(const QString& text) = 0;
};

// Shows the texts in message boxes, but never from inside the caller: a box opened inside a
// timer tick would run a nested event loop there, so that the tick either stands still until
// the box is closed or is overtaken by later ticks. The texts are queued and shown once the
// event loop is back, all that came together in one box, and never a box on top of a box.
class MessageBoxReport final : public ErrorReport {
public:
    MessageBoxReport();
    void setParent(QWidget* parent) { parent_ = parent; }
    void report(const QString& text) override;
    void tell(const QString& text) override;

    // Opens one box with `text` and returns at once; `closed` is called when the user has closed
    // it. A non-modal message box unless replaced (tests).
    std::function<void(QWidget* parent, const QString& text, std::function<void()> closed)> open;

    // Nothing waits and no box is open.
    bool idle() const { return pending_.isEmpty() && !open_; }

private:
    void enqueue(const QString& text);
    void showPending();

    QObject context_; // the queued calls die with the report
    QWidget* parent_ = nullptr;
    QSet<QString> reported_;
    QStringList pending_;
    bool scheduled_ = false;
    bool open_ = false;
};

// Keeps the texts instead of showing them; for tests.
class RecordingReport final : public ErrorReport {
public:
    void report(const QString& text) override { texts.append(text); }
    void tell(const QString& text) override { told.append(text); }
    QStringList texts;
    QStringList told;
};

} // namespace rt
