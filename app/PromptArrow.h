#pragma once

#include <QPointF>
#include <QPointer>
#include <QWidget>

// The training prompt's green arrow: from below the prompt's text down to the button that
// carries the green light, with the green light beside it. It lies over the prompt's picture and
// is drawn at the screen's resolution; where the button is, is read when it is painted, so the
// arrow follows the bar wherever the window manager has put the prompt.
class PromptArrow : public QWidget {
public:
    explicit PromptArrow(QWidget* picture);

    // Points at `button` (a control of the same window), or at nothing.
    void pointAt(QWidget* button);
    QWidget* target() const { return target_; }

    // Where the tip and the tail lie now, in this widget's coordinates.
    QPointF tip() const;
    QPointF tail() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> target_;
};
