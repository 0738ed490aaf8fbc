#include "app/PromptArrow.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// The colours of the prompt's picture: the arrow's green, the light's brighter green and the
// pale rim that keeps both apart from whatever lies under them.
const QColor kArrow(0x3c, 0xa8, 0x4a);
const QColor kLight(0x3c, 0xc2, 0x4a);
const QColor kRim(0xfb, 0xfb, 0xf6);
constexpr double kWidth = 3.2; // the shaft
constexpr double kLength = 30; // tail to tip
constexpr double kLean = 0.45; // sideways per unit down: the arrow comes from the text's side
constexpr double kAbove = 5;   // the tip's distance from the picture's lower edge

// A filled head at `tip`, pointing along `d`.
QPainterPath head(QPointF tip, QPointF d, double width) {
    const double len = std::hypot(d.x(), d.y());
    const QPointF u = d / std::max(len, 1e-6);
    const QPointF n(-u.y(), u.x());
    const double back = width * 3.0, side = width * 1.9;
    QPainterPath path;
    path.moveTo(tip);
    path.lineTo(tip - u * back + n * side);
    path.lineTo(tip - u * back - n * side);
    path.closeSubpath();
    return path;
}

} // namespace

PromptArrow::PromptArrow(QWidget* picture) : QWidget(picture) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(picture->rect());
    picture->installEventFilter(this);
}

void PromptArrow::pointAt(QWidget* button) {
    target_ = button;
    setVisible(button != nullptr);
    raise();
    update();
}

bool PromptArrow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

QPointF PromptArrow::tip() const {
    if (!target_)
        return {};
    const QPoint centre = target_->mapTo(window(), QPoint(target_->width() / 2, 0));
    return {mapFrom(window(), centre).x() + 0.5, height() - kAbove};
}

QPointF PromptArrow::tail() const {
    // From the upper right, towards the text; near the right edge from the upper left.
    const QPointF t = tip();
    const double dy = kLength / std::sqrt(1 + kLean * kLean);
    const double dx = (t.x() + dy * kLean + 24 > width() ? -1 : 1) * dy * kLean;
    return {t.x() + dx, t.y() - dy};
}

void PromptArrow::paintEvent(QPaintEvent*) {
    if (!target_)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF to = tip(), from = tail();
    const QPointF d = to - from;
    const QPointF u = d / std::hypot(d.x(), d.y());
    const QPainterPath arrowHead = head(to, d, kWidth);
    // The rim first, wider, then the arrow in it.
    for (const bool rim : {true, false}) {
        const QColor colour = rim ? kRim : kArrow;
        const double extra = rim ? 3.0 : 0.0;
        p.setPen(QPen(colour, kWidth + extra, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(colour);
        p.drawLine(from, to - u * kWidth * 2.5);
        if (rim)
            p.drawPath(arrowHead);
        else {
            p.setPen(Qt::NoPen);
            p.drawPath(arrowHead);
        }
    }
    // The green light beside the tail, on the side away from the tip.
    const QPointF side(d.x() >= 0 ? -11 : 11, 3);
    p.setPen(QPen(kRim, 1.5));
    p.setBrush(kLight);
    p.drawEllipse(from + side, 6, 6);
}
