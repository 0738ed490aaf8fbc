#pragma once

#include <QString>

class QWidget;

namespace rt {

// Modal message boxes with German texts and buttons; the title is always the program's name.
void showMessage(QWidget* parent, const QString& text);
void showError(QWidget* parent, const QString& text);

} // namespace rt
