#pragma once

#include <QString>

class TFMainBoard;

// What the board tells screen readers and how it answers the keyboard.

// Names and describes the board's pictures, its text and the buttons of its bar.
void DescribeBoard(TFMainBoard& board);

// The name a button of the bar goes by while it shows this glyph (a program path below
// "Pictures\Icons"): the sequence it starts, whether it is suggested, whether the time switch is
// on, whether it ends the program or the exercise. Empty for a glyph that does not change it.
QString GlyphAccessibleName(const QString& glyphPath);

// A key no button of the board took: Escape ends a running sequence or the training prompt as
// the button "Zurück" does, F1 opens the help. True when the key was handled.
bool BoardKey(TFMainBoard& board, int key);
