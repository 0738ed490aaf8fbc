#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QString>

// Small hints drawn over the exercise pictures: arrows along a movement, the path of a
// circling movement, breath, shaking, and the number of a stage.
namespace pic {

const QColor kMarkColour(0xe8, 0x7a, 0x5d);

// An arrow along a circular arc (angles in degrees, counter-clockwise on screen); with
// `both` it has heads at both ends.
void arcArrow(QPainter& p, QPointF centre, double rx, double ry, double startDeg, double spanDeg,
              double width, bool both = false, QColor colour = kMarkColour);
// A straight arrow.
void arrow(QPainter& p, QPointF from, QPointF to, double width, QColor colour = kMarkColour);
// A dotted ellipse: the path of a circling movement.
void dottedPath(QPainter& p, QPointF centre, double rx, double ry, double width,
                QColor colour = kMarkColour);
// Short strokes around a point: something shakes or springs.
void shakeLines(QPainter& p, QPointF centre, double radius, double angleDeg, double width,
                QColor colour = kMarkColour);
// Breath at the mouth or nose along `direction`: leaving (flow 1), entering (flow -1) or
// just flowing (flow 0, no arrow head).
void breath(QPainter& p, QPointF mouth, QPointF direction, double size, int flow,
            QColor colour = QColor(0x5f, 0xad, 0xd2));
// A round badge with a number or a short word.
void badge(QPainter& p, QPointF centre, double radius, const QString& text);

} // namespace pic
