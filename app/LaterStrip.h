#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

// The strip below a prompt's picture and bar that lets the user put the prompt off for a few
// minutes ("Später (5 Min.)"), or, once it has been put off as often in a row as allowed, says so
// in one line instead.
class LaterStrip : public QWidget {
public:
    static constexpr int kHeight = 30;

    explicit LaterStrip(QWidget* parent);

    // What the strip offers now: `minutes` of postponement, `done` of `limit` postponements in a
    // row spent (a limit of 0: no limit).
    void offer(int minutes, int done, int limit);
    bool offered() const;
    QPushButton* button() const { return button_; }
    QString line() const;

    std::function<void()> onLater;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* button_;
    QLabel* line_;
};
