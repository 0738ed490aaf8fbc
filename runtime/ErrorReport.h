#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace rt {

// The one place where a picture or sound that could not be loaded is told to the user.
// The failed operation counts as done; callers go on after reporting.
class ErrorReport {
public:
    virtual ~ErrorReport() = default;
    virtual void report(const QString& text) = 0;
};

// Shows each distinct text once per run in a modal box, and never a second box while one is
// open (timers keep running under a modal box, so errors could otherwise pile up).
class MessageBoxReport final : public ErrorReport {
public:
    MessageBoxReport();
    void setParent(QWidget* parent) { parent_ = parent; }
    void report(const QString& text) override;

    // Shows one box and returns when it is closed (a modal message box unless replaced).
    std::function<void(QWidget*, const QString&)> show;

private:
    QWidget* parent_ = nullptr;
    QSet<QString> shown_;
    bool open_ = false;
};

// Keeps the texts instead of showing them; for tests.
class RecordingReport final : public ErrorReport {
public:
    void report(const QString& text) override { texts.append(text); }
    QStringList texts;
};

} // namespace rt
