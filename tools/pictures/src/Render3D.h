#pragma once

#include "Math.h"

#include <QImage>
#include <QPointF>

#include <vector>

// A tiny renderer for rounded solids (distance fields): the figure's limbs are tapered capsules,
// the head and torso ellipsoids, the furniture rounded boxes. It draws them with a soft light
// from the upper left, ambient occlusion and a dark outline along silhouettes, in the manner of
// a calm book illustration, and returns a transparent layer to lay over a painted background.
namespace pic {

struct Rgb {
    double r = 0, g = 0, b = 0;
};
Rgb rgb(int hex);
Rgb mixRgb(Rgb a, Rgb b, double t);
Rgb scaleRgb(Rgb a, double s);

enum class EyeState { Open, Closed, Half };
enum class Mouth { Smile, Neutral, Open, Purse };

// Everything needed to paint a face on a head ellipsoid.
struct Face {
    V3 centre;
    M3 rot;   // head frame: x left, y up, z towards the face
    V3 radii; // head ellipsoid radii
    Rgb skin, hair, eye, brow, lip, blush;
    EyeState eyes = EyeState::Open;
    Mouth mouth = Mouth::Smile;
    double gazeX = 0, gazeY = 0; // pupil offset, -1..1 of the eye's half width/height
};

struct Material {
    Rgb colour;
    double gloss = 0;     // small highlight
    int face = -1;        // index into Scene::faces: paint a face on this solid
    double outline = 1.0; // strength of the outline drawn where this material is in front
};

enum class Kind { Cone, Ellipsoid, Box, Cylinder };

struct Prim {
    Kind kind = Kind::Cone;
    V3 a, b; // Cone: end points
    double ra = 1, rb = 1;
    V3 c;             // centre of Ellipsoid, Box, Cylinder
    M3 rot;           // local frame of Ellipsoid, Box, Cylinder (axis = local y)
    V3 half{1, 1, 1}; // Ellipsoid radii; Box half size; Cylinder: x radius, y half height
    double round = 0; // Box and Cylinder edge rounding
    int material = 0;
    int group = 0;     // solids of one group melt into each other (smooth union)
    double blend = 0;  // smoothing radius within the group
    bool clip = false; // keep only the part with dot(local point, clipN) <= clipD
    V3 clipN;
    double clipD = 0;
    // Bounding sphere, filled in by the renderer.
    V3 bc;
    double br = 0;
};

struct Camera {
    double yaw = 0;            // 0: seen from the front; -90: seen from the person's right side
    double pitch = 8;          // looking down by this many degrees
    double scale = 4;          // pixels per centimetre
    V3 target;                 // this world point ...
    double sx = 640, sy = 360; // ... appears at this pixel

    V3 right() const;
    V3 up() const;
    V3 back() const; // from the scene towards the camera
    QPointF project(V3 p) const;
    double depth(V3 p) const { return dot(p, back()); }
};

struct Scene {
    std::vector<Prim> prims;
    std::vector<Material> materials;
    std::vector<Face> faces;
    int groupCounter = 1;

    int newGroup() { return groupCounter++; }
    int addMaterial(const Material& m);
    Prim& cone(V3 a, V3 b, double ra, double rb, int material, int group = 0, double blend = 0);
    Prim& sphere(V3 c, double r, int material, int group = 0, double blend = 0);
    Prim& ellipsoid(V3 c, const M3& rot, V3 radii, int material, int group = 0, double blend = 0);
    Prim& box(V3 c, const M3& rot, V3 half, double round, int material, int group = 0,
              double blend = 0);
    Prim& cylinder(V3 c, const M3& rot, double radius, double halfHeight, double round,
                   int material, int group = 0, double blend = 0);
};

struct RenderOptions {
    int supersample = 3;
    double outlinePx = 1.6; // outline thickness in output pixels
    Rgb outlineTint = {0.22, 0.16, 0.20};
    V3 light = {-0.55, 0.75, 0.45}; // in camera terms: right, up, towards the camera
    bool floorShadow = true;        // soft shadow and contact shadow on the floor (y = 0)
    double shadowStrength = 0.38;
    double wallDepth = -1e9; // floor points whose camera depth is below this lie behind the wall
};

struct Layers {
    QImage colour; // premultiplied ARGB: the solids
    QImage shadow; // alpha only (in the alpha channel): darkness to lay on the floor
};

Layers render(const Scene& scene, const Camera& cam, int width, int height,
              const RenderOptions& opt = {});

} // namespace pic
