#pragma once

class QApplication;

namespace rt {

// Before the QApplication exists: under Wayland a program can neither place its own windows nor
// keep them on top, so the board runs through XWayland when it is there. Also starts reading the
// machine's font configuration on a thread of its own, while Qt connects to the display: the
// first frame shows text, and that reading is most of what a start costs beyond a bare window.
void prepareDisplay();

// After the QApplication exists: German texts for Qt's own dialogs and buttons, and one font
// for every window, whatever fonts the machine happens to have.
void setupApplication(QApplication& app);

// Every dialog of the program shows where the keyboard is from the moment it opens, not only
// after the first Tab (part of setupApplication).
void showFocusOnOpen(QApplication& app);

} // namespace rt
