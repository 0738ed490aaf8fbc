#pragma once

#include "Figure.h"
#include "Render3D.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <functional>
#include <string>

// The workplace in three dimensions (chair, desk, monitor) and the room painted behind it, and
// the composition of a rendered scene over that room.
namespace pic {

constexpr double kSeatHeight = 45.0;

// Adds an office chair whose seat centre stands over `floor`, turned by `yaw`.
void addChair(Scene& scene, V3 floor, double yaw);

struct DeskOptions {
    bool monitor = true;
    bool keyboard = true;
    bool mug = true;
    bool plant = true;
};

// Adds a desk whose front edge centre (the side one sits at) stands over `floor`; with yaw 0
// that edge faces +z and the desk reaches back towards -z.
void addDesk(Scene& scene, V3 floor, double yaw, const DeskOptions& options = {});

struct Room {
    QColor wallTop{0xee, 0xe6, 0xd8};
    QColor wallBottom{0xe4, 0xda, 0xc8};
    QColor floorNear{0xcf, 0xb5, 0x94};
    QColor floorFar{0xdc, 0xc6, 0xa6};
    double wallDistance = 140; // cm behind the camera target
    bool window = true;
    double windowAt = 0; // lateral position (cm, along the screen's right) of the window
    double windowWidth = 130;
    bool picture = true;
    double pictureAt = -150;
    bool plant = true;
    double plantAt = 170;
};

// Paints the room for a camera; returns the screen y of the line between wall and floor.
double paintRoom(QPainter& p, const Camera& cam, const QSize& size, const Room& room);

// Renders the scene over the room.
QImage composeRoom(const Scene& scene, const Camera& cam, const QSize& size, const Room& room,
                   const std::function<void(QPainter&)>& overlay = {}, int supersample = 3);

// Lays a rendered layer set over a background image.
void layDown(QImage& background, const Layers& layers, QColor shadowColour = QColor(70, 56, 60));

} // namespace pic

namespace pic {

// One picture of the person in the workplace.
struct Shot {
    std::string pose;    // standing or sitting as the pose says
    V3 at{0, 0, 0};      // floor point below the pelvis
    double facing = 0;   // the direction the person faces (rotY)
    bool chair = true;   // a chair under a seated person (or beside a standing one)
    V3 chairAt{0, 0, 0}; // for a standing person
    double chairYaw = 0;
    bool desk = true;
    V3 deskAt{-80, 0, -95}; // front edge centre of the desk
    double deskYaw = 0;
    DeskOptions deskOptions;
    Camera cam;
    Room room;
    int supersample = 3;
    // Drawn over the picture; gets the camera and the posed body.
    std::function<void(QPainter&, const Camera&, const Landmarks&)> overlay;
};

QImage shoot(const Shot& shot, const PoseTable& poses, const Outfit& outfit,
             QSize size = {1280, 720});

// Where a shot puts the person in a pose, and the landmarks of that pose there (for marks that
// must stay in place while the pose changes).
Placement placementFor(const Shot& shot, const Pose& pose);
Landmarks landmarksOf(const Shot& shot, const Pose& pose);

// The person alone on a transparent background (for the keyed figures).
QImage shootAlone(const Pose& pose, bool seated, const Camera& cam, const Outfit& outfit,
                  QSize size, int supersample, Landmarks* landmarks = nullptr);

} // namespace pic
