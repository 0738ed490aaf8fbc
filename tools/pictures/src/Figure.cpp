#include "Figure.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>

#include <set>
#include <stdexcept>

namespace pic {

namespace {

const std::set<std::string>& angleKeys() {
    static const std::set<std::string> keys = [] {
        std::set<std::string> k = {"tilt", "turn", "lean", "bend", "twist",
                                   "side", "nod",  "look", "tip"};
        for (const char* s : {"l", "r"}) {
            const std::string p = s;
            for (const char* n :
                 {"shrug",  "prot",  "arm_fwd", "arm_out", "arm_twist", "elbow",  "fore",
                  "wrist",  "wdev",  "curl",    "curl_i",  "curl_m",    "curl_r", "curl_p",
                  "spread", "thumb", "hip_fwd", "hip_out", "hip_twist", "knee",   "ankle"})
                k.insert(p + n);
        }
        return k;
    }();
    return keys;
}

bool parseV3(const QString& text, V3* out) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3)
        return false;
    bool ok[3];
    *out = {parts[0].toDouble(&ok[0]), parts[1].toDouble(&ok[1]), parts[2].toDouble(&ok[2])};
    return ok[0] && ok[1] && ok[2];
}

} // namespace

double Pose::operator[](const char* key) const {
    return get(key, 0.0);
}

double Pose::get(const std::string& key, double fallback) const {
    const auto it = angle.find(key);
    return it == angle.end() ? fallback : it->second;
}

bool PoseTable::load(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QTextStream in(&file);
    int lineNo = 0;
    while (!in.atEnd()) {
        QString line = in.readLine();
        ++lineNo;
        const int hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        const QStringList words =
            line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        auto fail = [&](const QString& why) {
            *error = QStringLiteral("%1:%2: %3").arg(path).arg(lineNo).arg(why);
            return false;
        };
        const std::string name = words[0].toStdString();
        if (poses_.count(name))
            return fail(QStringLiteral("pose %1 given twice").arg(words[0]));
        Pose pose;
        for (int i = 1; i < words.size(); ++i) {
            const int eq = words[i].indexOf(QLatin1Char('='));
            if (eq <= 0)
                return fail(QStringLiteral("expected key=value, got %1").arg(words[i]));
            const std::string key = words[i].left(eq).toStdString();
            const QString value = words[i].mid(eq + 1);
            if (key == "base") {
                const auto it = poses_.find(value.toStdString());
                if (it == poses_.end())
                    return fail(QStringLiteral("unknown base %1").arg(value));
                pose = it->second;
            } else if (angleKeys().count(key)) {
                bool ok = false;
                pose.angle[key] = value.toDouble(&ok);
                if (!ok)
                    return fail(QStringLiteral("bad number %1").arg(value));
            } else if (key == "stance") {
                if (value != QLatin1String("stand") && value != QLatin1String("sit"))
                    return fail(QStringLiteral("bad stance %1").arg(value));
                pose.standing = value == QLatin1String("stand");
            } else if (key == "eyes") {
                if (value == QLatin1String("open"))
                    pose.eyes = EyeState::Open;
                else if (value == QLatin1String("closed"))
                    pose.eyes = EyeState::Closed;
                else if (value == QLatin1String("half"))
                    pose.eyes = EyeState::Half;
                else
                    return fail(QStringLiteral("bad eyes %1").arg(value));
            } else if (key == "mouth") {
                if (value == QLatin1String("smile"))
                    pose.mouth = Mouth::Smile;
                else if (value == QLatin1String("neutral"))
                    pose.mouth = Mouth::Neutral;
                else if (value == QLatin1String("open"))
                    pose.mouth = Mouth::Open;
                else if (value == QLatin1String("purse"))
                    pose.mouth = Mouth::Purse;
                else
                    return fail(QStringLiteral("bad mouth %1").arg(value));
            } else if (key == "gaze") {
                V3 g;
                if (!parseV3(value + QStringLiteral(",0"), &g))
                    return fail(QStringLiteral("bad gaze %1").arg(value));
                pose.gazeX = g.x;
                pose.gazeY = g.y;
            } else if (key == "lreach" || key == "rreach") {
                const int colon = value.indexOf(QLatin1Char(':'));
                Pose::Reach r = key == "lreach" ? pose.left : pose.right;
                if (value == QLatin1String("none")) {
                    (key == "lreach" ? pose.lreach : pose.rreach) = false;
                    continue;
                }
                if (colon <= 0 || !parseV3(value.mid(colon + 1), &r.offset))
                    return fail(QStringLiteral("bad reach %1").arg(value));
                r.landmark = value.left(colon).toStdString();
                static const std::set<std::string> marks = {"pelvis", "chest", "head", "lknee",
                                                            "rknee",  "lhip",  "rhip", "lankle",
                                                            "rankle", "place"};
                if (!marks.count(r.landmark))
                    return fail(QStringLiteral("unknown landmark %1").arg(value.left(colon)));
                if (key == "lreach") {
                    pose.left = r;
                    pose.lreach = true;
                } else {
                    pose.right = r;
                    pose.rreach = true;
                }
            } else if (key == "lpole" || key == "rpole") {
                V3 v;
                if (!parseV3(value, &v))
                    return fail(QStringLiteral("bad pole %1").arg(value));
                (key == "lpole" ? pose.left : pose.right).pole = v;
            } else {
                return fail(QStringLiteral("unknown key %1").arg(QString::fromStdString(key)));
            }
        }
        poses_[name] = pose;
    }
    return true;
}

const Pose& PoseTable::get(const std::string& name) const {
    const auto it = poses_.find(name);
    if (it == poses_.end())
        throw std::runtime_error("no pose " + name);
    return it->second;
}

// ---- the body

namespace {

// Body measures in centimetres.
constexpr double kUpperArm = 29, kForearm = 25.5, kThigh = 43, kShin = 42;

struct Mats {
    int skin, face, hair, shirt, trousers, shoes, nails;
};

// Two-bone reach: the elbow for a wrist target, bending towards `pole`.
V3 solveElbow(V3 s, V3* target, V3 pole) {
    V3 d = *target - s;
    double len = length(d);
    const double maxLen = kUpperArm + kForearm - 0.05;
    const double minLen = std::abs(kUpperArm - kForearm) + 0.5;
    const V3 dir = normalize(d);
    if (len > maxLen) {
        len = maxLen;
        *target = s + dir * len;
    } else if (len < minLen) {
        len = minLen;
        *target = s + dir * len;
    }
    const double a = (kUpperArm * kUpperArm - kForearm * kForearm + len * len) / (2 * len);
    const double h = std::sqrt(std::max(0.0, kUpperArm * kUpperArm - a * a));
    V3 perp = pole - dir * dot(pole, dir);
    if (length(perp) < 1e-6)
        perp = std::abs(dir.y) < 0.9 ? cross(dir, V3{0, 1, 0}) : cross(dir, V3{1, 0, 0});
    perp = normalize(perp);
    return s + dir * a + perp * h;
}

// Frames of a bent limb from its three joints; the hinge is the local x axis and the lower
// segment swings towards the upper segment's local +z (as the elbow does).
void limbFrames(V3 s, V3 e, V3 w, const M3& fallback, M3* upper, M3* lower) {
    const V3 u = normalize(e - s), f = normalize(w - e);
    V3 hinge = cross(f, u);
    if (length(hinge) < 1e-3) {
        // Straight limb: keep the fallback's hinge, made perpendicular to the limb.
        hinge = fallback.c0 - u * dot(fallback.c0, u);
    }
    hinge = normalize(hinge);
    const V3 uy = -u;
    *upper = {hinge, uy, cross(hinge, uy)};
    const V3 fy = -f;
    *lower = {hinge, fy, cross(hinge, fy)};
}

void addHand(Scene& scene, const Mats& m, V3 wrist, const M3& hand, double side,
             const double curls[4], double spread, double thumb) {
    const int g = scene.newGroup();
    const double blend = 0.7;
    // Palm: thin across the hand (x), long down the hand (-y), wide towards the thumb (z).
    scene.box(wrist + hand * V3{0, -4.6, 0.2}, hand, {1.35, 4.5, 3.9}, 1.3, m.skin, g, blend);
    const double fz[4] = {2.75, 0.95, -0.85, -2.55};
    const double fl[4] = {0.94, 1.0, 0.95, 0.78};
    for (int i = 0; i < 4; ++i) {
        const double fan = spread * (1.5 - i) * 9.0; // degrees, fanning towards the thumb
        const double bend1 = curls[i] * 88.0, bend2 = curls[i] * 105.0;
        const M3 f1 = hand * rotX(-fan) * rotZ(-side * bend1);
        const M3 f2 = f1 * rotZ(-side * bend2);
        const V3 base = wrist + hand * V3{0, -8.6, fz[i] * (1 + spread * 0.12)};
        const V3 mid = base + f1 * V3{0, -4.4 * fl[i], 0};
        const V3 tip = mid + f2 * V3{0, -3.6 * fl[i], 0};
        const double r = 0.92 * (i == 3 ? 0.88 : 1.0);
        scene.cone(base, mid, r, r * 0.93, m.skin, g, blend);
        scene.cone(mid, tip, r * 0.93, r * 0.82, m.skin, g, blend);
    }
    // Thumb: from the wrist's thumb side, out and forward when open, across the palm when in.
    const V3 tb = wrist + hand * V3{-side * 0.4, -2.2, 3.2};
    const V3 openDir = normalize(V3{-side * 0.25, -0.62, 0.74});
    const V3 inDir = normalize(V3{-side * 0.9, -0.42, -0.1});
    const V3 d1 = normalize(hand * lerp(openDir, inDir, thumb));
    const V3 tm = tb + d1 * 3.9;
    const V3 d2 = normalize(lerp(d1, hand * normalize(V3{-side * 0.7, -0.5, -0.5}), thumb * 0.7));
    const V3 tt = tm + d2 * 3.3;
    scene.cone(tb, tm, 1.25, 1.05, m.skin, g, blend);
    scene.cone(tm, tt, 1.05, 0.9, m.skin, g, blend);
}

} // namespace

Landmarks addFigure(Scene& scene, const Pose& pose, const Placement& place, const Outfit& outfit) {
    Landmarks lm;
    Mats m;
    m.skin = scene.addMaterial({outfit.skin, 0.05, -1, 1.0});
    m.hair = scene.addMaterial({outfit.hair, 0.12, -1, 1.0});
    m.shirt = scene.addMaterial({outfit.shirt, 0.0, -1, 1.0});
    m.trousers = scene.addMaterial({outfit.trousers, 0.0, -1, 1.0});
    m.shoes = scene.addMaterial({outfit.shoes, 0.15, -1, 1.0});
    m.nails = m.skin;

    const M3 placeRot = rotY(place.yaw);
    const M3 pelvisRot = placeRot * rotY(pose["turn"]) * rotX(pose["tilt"]) * rotZ(-pose["lean"]);
    const M3 lumbarRot = pelvisRot * rotY(pose["twist"] * 0.35) * rotX(pose["bend"] * 0.45) *
                         rotZ(-pose["side"] * 0.45);
    const M3 chestRot = lumbarRot * rotY(pose["twist"] * 0.65) * rotX(pose["bend"] * 0.55) *
                        rotZ(-pose["side"] * 0.55);
    const M3 neckRot =
        chestRot * rotY(pose["look"] * 0.3) * rotX(pose["nod"] * 0.45) * rotZ(-pose["tip"] * 0.4);
    const M3 headRot =
        neckRot * rotY(pose["look"] * 0.7) * rotX(pose["nod"] * 0.55) * rotZ(-pose["tip"] * 0.6);

    const V3 P = place.pelvis;
    const V3 L = P + pelvisRot * V3{0, 9, -1.5};
    const V3 Cj = L + lumbarRot * V3{0, 16, 0.5};
    const V3 N = Cj + chestRot * V3{0, 21, -1.5};
    const V3 NT = N + neckRot * V3{0, 8.5, 1.2};
    const V3 Hc = NT + headRot * V3{0, 10.5, 1.4};
    lm.pelvis = P;
    lm.chest = Cj;
    lm.neck = N;
    lm.head = Hc;
    lm.headFrame = headRot;
    lm.chestFrame = chestRot;
    lm.pelvisFrame = pelvisRot;

    // Torso, neck and shoulders melt into one smooth body.
    const int torso = scene.newGroup();
    scene.ellipsoid(P + pelvisRot * V3{0, 1.5, -1}, pelvisRot, {15.8, 11.5, 12}, m.trousers, torso,
                    4);
    scene.ellipsoid(L + lumbarRot * V3{0, 6, 1}, lumbarRot, {14.2, 12, 10.8}, m.shirt, torso, 4);
    scene.ellipsoid(Cj + chestRot * V3{0, 9.0, 0.5}, chestRot, {16.4, 14.8, 11.2}, m.shirt, torso,
                    5);
    scene.cone(N + chestRot * V3{0, -3, -0.5}, NT + neckRot * V3{0, 1, 0}, 5.4, 4.7, m.skin, torso,
               3);

    // Shoulder girdle: the shrug lifts and the protraction brings the shoulder forward.
    for (int s = 0; s < 2; ++s) {
        const double side = s == 1 ? 1.0 : -1.0;
        const char* pfx = s == 1 ? "l" : "r";
        const double shrug = pose[(std::string(pfx) + "shrug").c_str()];
        const double prot = pose[(std::string(pfx) + "prot").c_str()];
        const M3 clav = chestRot * rotY(-side * prot) * rotZ(side * shrug);
        lm.shoulder[s] =
            N + chestRot * V3{side * 1.5, -2.5, -0.5} + clav * V3{side * 16.0, -0.6, -1.2};
        scene.sphere(lm.shoulder[s] + chestRot * V3{-side * 2.4, -1.2, 0}, 4.4, m.shirt, torso, 7);
        // The slope from the neck to the shoulder.
        scene.cone(N + chestRot * V3{side * 3.5, -2.8, -1.2},
                   lm.shoulder[s] + chestRot * V3{-side * 3.0, -0.9, -0.4}, 5.2, 4.6, m.shirt,
                   torso, 5);
    }

    // Head: ellipsoid with the painted face, nose, ears and hair.
    const int head = scene.newGroup();
    Face face;
    face.centre = Hc;
    face.rot = headRot;
    face.radii = {9.6, 12.2, 10.8};
    face.skin = outfit.skin;
    face.hair = outfit.hair;
    face.eye = outfit.eye;
    face.brow = mixRgb(outfit.hair, rgb(0x2a1d15), 0.4);
    face.lip = outfit.lip;
    face.blush = outfit.blush;
    face.eyes = pose.eyes;
    face.mouth = pose.mouth;
    face.gazeX = pose.gazeX;
    face.gazeY = pose.gazeY;
    scene.faces.push_back(face);
    m.face = scene.addMaterial({outfit.skin, 0.05, int(scene.faces.size()) - 1, 1.0});
    const V3 hr = face.radii;
    scene.ellipsoid(Hc, headRot, hr, m.face, head, 0.8);
    // Nose, ears.
    scene.ellipsoid(Hc + headRot * V3{0, -0.13 * hr.y, 0.95 * hr.z}, headRot * rotX(-12),
                    {1.25, 2.1, 1.55}, m.skin, head, 1.0);
    for (double side : {-1.0, 1.0})
        scene.ellipsoid(Hc + headRot * V3{side * 0.95 * hr.x, -0.08 * hr.y, -0.06 * hr.z},
                        headRot * rotY(side * 18), {1.1, 2.9, 2.1}, m.skin, head, 0.6);
    // Hair: a cap over the top and the back, cut away in front of the face and the ears.
    // Hair: the same shape lifted up and back, so it stands out over the crown and the back of
    // the head and sinks into the head over the forehead; the painted hair line does the rest.
    scene.ellipsoid(Hc + headRot * V3{0, 0.13 * hr.y, -0.11 * hr.z}, headRot * rotX(-6),
                    {hr.x * 1.03, hr.y * 0.99, hr.z * 1.02}, m.hair, head, 1.4);
    for (int s = 0; s < 2; ++s) {
        const double side = s == 1 ? 1.0 : -1.0;
        const double u = side * 0.34, v = 0.05;
        lm.eye[s] =
            Hc + headRot * V3{face.radii.x * std::sin(u) * std::cos(v), face.radii.y * std::sin(v),
                              face.radii.z * std::cos(u) * std::cos(v)};
    }
    lm.nose = Hc + headRot * V3{0, -0.16 * hr.y, 1.12 * hr.z};
    lm.mouth = Hc + headRot * V3{0, -0.42 * hr.y, 0.88 * hr.z};

    // Reach landmarks.
    auto landmark = [&](const Pose::Reach& r) -> V3 {
        if (r.landmark == "chest")
            return Cj + chestRot * r.offset;
        if (r.landmark == "head")
            return Hc + headRot * r.offset;
        if (r.landmark == "pelvis")
            return P + pelvisRot * r.offset;
        if (r.landmark == "place")
            return P + placeRot * r.offset;
        if (r.landmark == "lhip" || r.landmark == "rhip")
            return lm.hip[r.landmark == "lhip" ? 1 : 0] + pelvisRot * r.offset;
        if (r.landmark == "lknee" || r.landmark == "rknee")
            return lm.knee[r.landmark == "lknee" ? 1 : 0] + placeRot * r.offset;
        return lm.ankle[r.landmark == "lankle" ? 1 : 0] + placeRot * r.offset;
    };

    // Legs: their angles are taken from the upright placement, so a tilted pelvis does not
    // lift a seated person's thighs.
    for (int s = 0; s < 2; ++s) {
        const double side = s == 1 ? 1.0 : -1.0;
        const std::string p = s == 1 ? "l" : "r";
        auto a = [&](const char* k) { return pose[(p + k).c_str()]; };
        const int g = scene.newGroup();
        const V3 hip = P + pelvisRot * V3{side * 8.8, -4, 0.5};
        const M3 thigh = placeRot * rotY(pose["turn"] * 0.5) * rotX(-a("hip_fwd")) *
                         rotZ(side * a("hip_out")) * rotY(-side * a("hip_twist"));
        const V3 knee = hip + thigh * V3{0, -kThigh, 0};
        const M3 shin = thigh * rotX(a("knee"));
        const V3 ankle = knee + shin * V3{0, -kShin, 0};
        const M3 foot = shin * rotX(-a("ankle"));
        lm.hip[s] = hip;
        lm.knee[s] = knee;
        lm.ankle[s] = ankle;
        scene.cone(hip + thigh * V3{0, 2, 0}, knee, 8.6, 6.0, m.trousers, g, 2.5);
        scene.cone(knee, ankle + shin * V3{0, 1.5, 0}, 5.9, 4.3, m.trousers, g, 2.5);
        scene.cone(ankle + shin * V3{0, 3.5, 0}, ankle, 3.6, 3.4, m.skin, g, 1.0);
        // Shoe: a rounded box with a rounder toe.
        scene.box(ankle + foot * V3{0, -3.6, 5.0}, foot, {4.5, 3.3, 10.5}, 3.0, m.shoes, g, 1.5);
        scene.ellipsoid(ankle + foot * V3{0, -3.7, 14.5}, foot, {4.7, 3.4, 5.5}, m.shoes, g, 1.5);
        lm.toe[s] = ankle + foot * V3{0, -3.7, 19.5};
    }

    // Arms.
    for (int s = 0; s < 2; ++s) {
        const double side = s == 1 ? 1.0 : -1.0;
        const std::string p = s == 1 ? "l" : "r";
        auto a = [&](const char* k) { return pose[(p + k).c_str()]; };
        const V3 S = lm.shoulder[s];
        M3 upper = chestRot * rotX(-a("arm_fwd")) * rotZ(side * a("arm_out")) *
                   rotY(-side * a("arm_twist"));
        V3 E = S + upper * V3{0, -kUpperArm, 0};
        M3 fore = upper * rotX(-a("elbow"));
        V3 W = E + fore * V3{0, -kForearm, 0};
        const bool reach = s == 1 ? pose.lreach : pose.rreach;
        if (reach) {
            const Pose::Reach& r = s == 1 ? pose.left : pose.right;
            W = landmark(r);
            V3 pole = chestRot * V3{side * r.pole.x, r.pole.y, r.pole.z};
            E = solveElbow(S, &W, pole);
            limbFrames(S, E, W, upper, &upper, &fore);
        }
        const M3 hand = fore * rotY(side * a("fore")) * rotZ(-side * a("wrist")) * rotX(-a("wdev"));
        lm.elbow[s] = E;
        lm.wrist[s] = W;
        lm.palm[s] = W + hand * V3{0, -5, 0};
        const int g = scene.newGroup();
        scene.cone(S, E, 4.7, 4.1, m.shirt, g, 2.0);
        scene.cone(E, E + (W - E) * 0.22, 4.15, 3.9, m.shirt, g, 2.0);
        scene.cone(E + (W - E) * 0.2, W, 3.75, 2.7, m.skin, g, 2.0);
        const double curl = a("curl");
        const double curls[4] = {pose.get(p + "curl_i", curl), pose.get(p + "curl_m", curl),
                                 pose.get(p + "curl_r", curl), pose.get(p + "curl_p", curl)};
        addHand(scene, m, W, hand, side, curls, a("spread"), a("thumb"));
    }
    return lm;
}

} // namespace pic
