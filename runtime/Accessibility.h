#pragma once

#include <QString>

#include <vector>

class QWidget;

namespace rt {

// What a screen reader reads for a control: its name, and a longer description.
void describe(QWidget* control, const QString& name, const QString& description = {});

// The controls of `container` that Tab stops at, in the order the eye reads them: row by row
// from the top, left to right within a row; the controls inside a group or a page come where
// the group lies. Controls less than kRowSlack pixels apart in height share a row. Hidden and
// disabled controls are left out.
constexpr int kRowSlack = 8;
std::vector<QWidget*> controlsByRows(const QWidget* container);

// Gives `control` the keyboard focus and shows it, as after a Tab: for a prompt the user answers
// with a key. A window only takes the focus when the user turns to it.
void showFocus(QWidget* control);

// Tells a screen reader `text` at once, wherever the keyboard is and without taking it: a hidden
// child of `window` of the notification role, named by the text and shown anew to the reader
// (what Orca presents from a program that is not active; Qt has no announcement of its own here).
void announce(QWidget* window, const QString& text);
// The child that carries the announcements of `window`, once there was one (for tests).
QWidget* announcer(QWidget* window);

// Pictures are graphics to screen readers, not empty panes, and the program's windows are frames
// named by their captions.
void registerAccessibleRoles();

} // namespace rt
