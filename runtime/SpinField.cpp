#include "runtime/SpinField.h"

#include <QFocusEvent>
#include <QLineEdit>

#include <algorithm>

namespace rt {

SpinField::SpinField(QWidget* parent, int minValue, int maxValue, int step)
    : QAbstractSpinBox(parent), min_(minValue), max_(maxValue), step_(step) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setAccelerated(true);
    lineEdit()->setReadOnly(true);
    lineEdit()->setText(QString::number(min_));
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (onChange)
            onChange();
    });
}

int SpinField::bounded(int value) const {
    if (min_ == max_)
        return value;
    return std::clamp(value, min_, max_);
}

int SpinField::value() const {
    const QString text = lineEdit()->text().trimmed();
    bool ok = false;
    const int v = text.toInt(&ok);
    if (ok)
        return bounded(v);
    // A whole number too long for an int still says which side it lies on: beyond the upper
    // bound, or (with a minus) below the lower one.
    const qsizetype signs = text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'));
    const bool digits =
        text.size() > signs && std::all_of(text.begin() + signs, text.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
    if (!digits)
        return min_;
    return text.startsWith(QLatin1Char('-')) ? min_ : max_;
}

void SpinField::setValue(int value) {
    const QString text = QString::number(bounded(value));
    if (lineEdit()->text() != text)
        lineEdit()->setText(text); // runs onChange
}

void SpinField::setTypable(bool typable) {
    lineEdit()->setReadOnly(!typable);
}

void SpinField::stepBy(int steps) {
    setValue(value() + steps * step_);
}

// The arrows always answer; a field at its bound simply stays there.
QAbstractSpinBox::StepEnabled SpinField::stepEnabled() const {
    return StepUpEnabled | StepDownEnabled;
}

void SpinField::focusOutEvent(QFocusEvent* event) {
    QAbstractSpinBox::focusOutEvent(event);
    if (!lineEdit()->isReadOnly())
        setValue(value()); // the text as it reads
}

QSize SpinField::sizeHint() const {
    return QSize(50, 22);
}

} // namespace rt
