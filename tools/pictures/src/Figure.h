#pragma once

#include "Render3D.h"

#include <QString>

#include <map>
#include <string>

namespace pic {

// A pose: joint angles in degrees (and a few hand and face settings), read from one line of
// the pose table. Keys that are not given are 0.
struct Pose {
    std::map<std::string, double> angle;
    // Optional reach targets for the wrists: a landmark and an offset in its frame.
    struct Reach {
        std::string landmark;
        V3 offset;
        V3 pole{0, -1, -1}; // direction the elbow points to, in the chest frame
    };
    bool lreach = false, rreach = false;
    Reach left, right;
    bool standing = false;
    EyeState eyes = EyeState::Open;
    Mouth mouth = Mouth::Smile;
    double gazeX = 0, gazeY = 0;

    double operator[](const char* key) const;
    double get(const std::string& key, double fallback) const;
};

// The pose table: one pose per line, "name key=value key=value ...". A line may start from
// another pose with base=name.
class PoseTable {
public:
    // Reads the table; on an unknown key, a bad value or a missing base it returns false and
    // sets `error`.
    bool load(const QString& path, QString* error);
    bool has(const std::string& name) const { return poses_.count(name) != 0; }
    const Pose& get(const std::string& name) const;

private:
    std::map<std::string, Pose> poses_;
};

// Clothes and looks of the one person in every picture.
struct Outfit {
    Rgb skin = rgb(0xf0c7a4);
    Rgb hair = rgb(0x6b4a33);
    Rgb shirt = rgb(0x4c8e88);
    Rgb trousers = rgb(0x4f5d78);
    Rgb shoes = rgb(0x7a5640);
    Rgb eye = rgb(0x3a2a22);
    Rgb lip = rgb(0xb9685c);
    Rgb blush = rgb(0xf2a08c);
};

// Where the person is and what the composer may want to know about the posed body.
struct Placement {
    V3 pelvis{0, 95, 0}; // world position of the pelvis centre
    double yaw = 0;      // the direction the person faces (rotY)
};

struct Landmarks {
    V3 pelvis, chest, neck, head, nose, mouth;
    V3 eye[2];      // [0] right eye, [1] left eye (the person's own)
    V3 shoulder[2]; // [0] right, [1] left
    V3 elbow[2], wrist[2], palm[2], knee[2], ankle[2], toe[2], hip[2];
    M3 headFrame, chestFrame, pelvisFrame;
};

// Adds the person in the given pose to the scene and returns the landmarks.
Landmarks addFigure(Scene& scene, const Pose& pose, const Placement& place,
                    const Outfit& outfit = {});

// The pelvis height above the seat for a seated person, and above the floor for a standing one.
constexpr double kSeatToPelvis = 10.0;
constexpr double kStandingPelvis = 95.8;

} // namespace pic
