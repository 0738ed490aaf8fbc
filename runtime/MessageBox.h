#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace rt {

// Modal message boxes with German texts and buttons; the title is always the program's name.
// For answers to the user's own commands, never from inside a timer tick. A box belongs to
// `parent`, or to the modal window open at the time, and stays above the window it belongs to.
void showMessage(QWidget* parent, const QString& text);
void showError(QWidget* parent, const QString& text);
// An information with the buttons OK and Abort; true when the user chose OK.
bool askOkAbort(QWidget* parent, const QString& text);

// A warning box that does not hold up the caller: it opens and returns at once; `closed` runs
// when the user has closed it. Timers and sequences go on while it is open.
void openError(QWidget* parent, const QString& text, std::function<void()> closed);

} // namespace rt
