#pragma once

#include <algorithm>
#include <cmath>

// Small 3D vector and rotation helpers for the figure and the furniture. World units are
// centimetres; x is the person's left, y is up, z is the direction the person faces.
namespace pic {

constexpr double kPi = 3.14159265358979323846;

inline double rad(double degrees) {
    return degrees * kPi / 180.0;
}

struct V3 {
    double x = 0, y = 0, z = 0;
};

inline V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator-(V3 a) {
    return {-a.x, -a.y, -a.z};
}
inline V3 operator*(V3 a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline V3 operator*(double s, V3 a) {
    return a * s;
}
inline V3 mul(V3 a, V3 b) {
    return {a.x * b.x, a.y * b.y, a.z * b.z};
}
inline double dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3 cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(V3 a) {
    return std::sqrt(dot(a, a));
}
inline V3 normalize(V3 a) {
    const double l = length(a);
    return l > 1e-12 ? a * (1.0 / l) : V3{0, 1, 0};
}
inline V3 lerp(V3 a, V3 b, double t) {
    return a + (b - a) * t;
}
inline double clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}
inline double mix(double a, double b, double t) {
    return a + (b - a) * t;
}
inline double smoothstep(double e0, double e1, double x) {
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

// Rotation matrix; columns are the images of the local x, y and z axes.
struct M3 {
    V3 c0{1, 0, 0}, c1{0, 1, 0}, c2{0, 0, 1};

    V3 operator*(V3 v) const { return c0 * v.x + c1 * v.y + c2 * v.z; }
    M3 operator*(const M3& o) const { return {(*this) * o.c0, (*this) * o.c1, (*this) * o.c2}; }
    M3 transposed() const { return {{c0.x, c1.x, c2.x}, {c0.y, c1.y, c2.y}, {c0.z, c1.z, c2.z}}; }
    // Local coordinates of a world direction.
    V3 toLocal(V3 v) const { return {dot(c0, v), dot(c1, v), dot(c2, v)}; }
};

// Positive angles: rotX tips +y towards +z (bending forward), rotY turns +z towards +x (turning
// to the person's left), rotZ turns +x towards +y.
inline M3 rotX(double degrees) {
    const double c = std::cos(rad(degrees)), s = std::sin(rad(degrees));
    return {{1, 0, 0}, {0, c, s}, {0, -s, c}};
}
inline M3 rotY(double degrees) {
    const double c = std::cos(rad(degrees)), s = std::sin(rad(degrees));
    return {{c, 0, -s}, {0, 1, 0}, {s, 0, c}};
}
inline M3 rotZ(double degrees) {
    const double c = std::cos(rad(degrees)), s = std::sin(rad(degrees));
    return {{c, s, 0}, {-s, c, 0}, {0, 0, 1}};
}

// A frame whose local -y axis points along `down` and whose local +z axis is as close to
// `forward` as possible (used by the limbs solved from positions).
inline M3 frameFromDown(V3 down, V3 forward) {
    const V3 y = normalize(-down);
    V3 z = forward - y * dot(forward, y);
    if (length(z) < 1e-6)
        z = std::abs(y.x) < 0.9 ? cross(V3{1, 0, 0}, y) : cross(V3{0, 0, 1}, y);
    z = normalize(z);
    const V3 x = cross(y, z);
    return {x, y, z};
}

} // namespace pic
