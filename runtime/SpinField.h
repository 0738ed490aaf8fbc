#pragma once

#include <QAbstractSpinBox>

#include <functional>

namespace rt {

// A whole number shown as text, with a lower and an upper bound, a step and up/down arrows.
// Setting a value brings it into the bounds, except when both bounds are equal. The text
// cannot be typed into unless the field is made typable; then a text that is not a number reads
// as the lower bound, and a typed number outside the bounds (however many digits it has) is
// brought into them when the field loses the keyboard focus. Every change of the shown text runs
// onChange.
class SpinField : public QAbstractSpinBox {
public:
    SpinField(QWidget* parent, int minValue, int maxValue, int step = 1);

    // The number as it reads within the bounds, also while a typed number beyond them is still
    // shown, so that no one takes a value the field would not keep.
    int value() const;
    void setValue(int value);
    int minValue() const { return min_; }
    int maxValue() const { return max_; }
    // New bounds; the shown value stays as it is until it is set again.
    void setMinValue(int value) { min_ = value; }
    void setMaxValue(int value) { max_ = value; }
    void setTypable(bool typable);
    // The text line inside, as the user types into it.
    QLineEdit* editor() const { return lineEdit(); }

    void stepBy(int steps) override;

    std::function<void()> onChange;

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;
    QSize sizeHint() const override;

private:
    int bounded(int value) const;

    int min_;
    int max_;
    int step_;
};

} // namespace rt
