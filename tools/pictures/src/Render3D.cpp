#include "Render3D.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <thread>

namespace pic {

Rgb rgb(int hex) {
    return {((hex >> 16) & 0xff) / 255.0, ((hex >> 8) & 0xff) / 255.0, (hex & 0xff) / 255.0};
}

Rgb mixRgb(Rgb a, Rgb b, double t) {
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t)};
}

Rgb scaleRgb(Rgb a, double s) {
    return {a.r * s, a.g * s, a.b * s};
}

// ---- camera

V3 Camera::back() const {
    const double y = rad(yaw), p = rad(pitch);
    return {std::sin(y) * std::cos(p), std::sin(p), std::cos(y) * std::cos(p)};
}

V3 Camera::right() const {
    const double y = rad(yaw);
    return {std::cos(y), 0, -std::sin(y)};
}

V3 Camera::up() const {
    return cross(right(), -back());
}

QPointF Camera::project(V3 p) const {
    const V3 d = p - target;
    return {sx + dot(d, right()) * scale, sy - dot(d, up()) * scale};
}

// ---- scene building

int Scene::addMaterial(const Material& m) {
    materials.push_back(m);
    return int(materials.size()) - 1;
}

Prim& Scene::cone(V3 a, V3 b, double ra, double rb, int material, int group, double blend) {
    Prim p;
    p.kind = Kind::Cone;
    p.a = a;
    p.b = b;
    p.ra = ra;
    p.rb = rb;
    p.material = material;
    p.group = group;
    p.blend = blend;
    prims.push_back(p);
    return prims.back();
}

Prim& Scene::sphere(V3 c, double r, int material, int group, double blend) {
    return cone(c, c + V3{0, 1e-4, 0}, r, r, material, group, blend);
}

Prim& Scene::ellipsoid(V3 c, const M3& rot, V3 radii, int material, int group, double blend) {
    Prim p;
    p.kind = Kind::Ellipsoid;
    p.c = c;
    p.rot = rot;
    p.half = radii;
    p.material = material;
    p.group = group;
    p.blend = blend;
    prims.push_back(p);
    return prims.back();
}

Prim& Scene::box(V3 c, const M3& rot, V3 half, double round, int material, int group,
                 double blend) {
    Prim p;
    p.kind = Kind::Box;
    p.c = c;
    p.rot = rot;
    p.half = half;
    p.round = std::min({round, half.x, half.y, half.z});
    p.material = material;
    p.group = group;
    p.blend = blend;
    prims.push_back(p);
    return prims.back();
}

Prim& Scene::cylinder(V3 c, const M3& rot, double radius, double halfHeight, double round,
                      int material, int group, double blend) {
    Prim p;
    p.kind = Kind::Cylinder;
    p.c = c;
    p.rot = rot;
    p.half = {radius, halfHeight, radius};
    p.round = std::min({round, radius, halfHeight});
    p.material = material;
    p.group = group;
    p.blend = blend;
    prims.push_back(p);
    return prims.back();
}

namespace {

constexpr double kFar = 1e9;

double roundCone(V3 p, V3 a, V3 b, double r1, double r2) {
    const V3 ba = b - a;
    const double l2 = dot(ba, ba);
    if (l2 < 1e-6)
        return length(p - a) - r1;
    const double rr = r1 - r2;
    const double a2 = l2 - rr * rr;
    const double il2 = 1.0 / l2;
    const V3 pa = p - a;
    const double y = dot(pa, ba);
    const double z = y - l2;
    const V3 w = pa * l2 - ba * y;
    const double x2 = dot(w, w);
    const double y2 = y * y * l2;
    const double z2 = z * z * l2;
    const double k = (rr > 0 ? 1 : (rr < 0 ? -1 : 0)) * rr * rr * x2;
    if ((z > 0 ? 1 : -1) * a2 * z2 > k)
        return std::sqrt(x2 + z2) * il2 - r2;
    if ((y > 0 ? 1 : -1) * a2 * y2 < k)
        return std::sqrt(x2 + y2) * il2 - r1;
    return (std::sqrt(x2 * a2 * il2) + y * rr) * il2 - r1;
}

double ellipsoidDist(V3 p, V3 r) {
    const double k0 = length(V3{p.x / r.x, p.y / r.y, p.z / r.z});
    const double k1 = length(V3{p.x / (r.x * r.x), p.y / (r.y * r.y), p.z / (r.z * r.z)});
    if (k1 < 1e-9)
        return -std::min({r.x, r.y, r.z});
    return k0 * (k0 - 1.0) / k1;
}

double boxDist(V3 p, V3 b, double r) {
    const V3 q{std::abs(p.x) - b.x + r, std::abs(p.y) - b.y + r, std::abs(p.z) - b.z + r};
    const V3 m{std::max(q.x, 0.0), std::max(q.y, 0.0), std::max(q.z, 0.0)};
    return length(m) + std::min(std::max(q.x, std::max(q.y, q.z)), 0.0) - r;
}

double cylinderDist(V3 p, double radius, double h, double r) {
    const double dx = std::sqrt(p.x * p.x + p.z * p.z) - radius + r;
    const double dy = std::abs(p.y) - h + r;
    const double ox = std::max(dx, 0.0), oy = std::max(dy, 0.0);
    return std::min(std::max(dx, dy), 0.0) + std::sqrt(ox * ox + oy * oy) - r;
}

double primDist(const Prim& pr, V3 p) {
    double d;
    V3 local;
    switch (pr.kind) {
    case Kind::Cone:
        d = roundCone(p, pr.a, pr.b, pr.ra, pr.rb);
        local = p - pr.a;
        break;
    case Kind::Ellipsoid:
        local = pr.rot.toLocal(p - pr.c);
        d = ellipsoidDist(local, pr.half);
        break;
    case Kind::Box:
        local = pr.rot.toLocal(p - pr.c);
        d = boxDist(local, pr.half, pr.round);
        break;
    case Kind::Cylinder:
    default:
        local = pr.rot.toLocal(p - pr.c);
        d = cylinderDist(local, pr.half.x, pr.half.y, pr.round);
        break;
    }
    if (pr.clip)
        d = std::max(d, dot(local, pr.clipN) - pr.clipD);
    return d;
}

double smin(double a, double b, double k) {
    if (k <= 0)
        return std::min(a, b);
    const double h = std::max(k - std::abs(a - b), 0.0) / k;
    return std::min(a, b) - h * h * k * 0.25;
}

void bound(Prim& p) {
    switch (p.kind) {
    case Kind::Cone:
        p.bc = (p.a + p.b) * 0.5;
        p.br = length(p.b - p.a) * 0.5 + std::max(p.ra, p.rb);
        break;
    case Kind::Ellipsoid:
        p.bc = p.c;
        p.br = std::max({p.half.x, p.half.y, p.half.z});
        break;
    case Kind::Box:
        p.bc = p.c;
        p.br = length(p.half);
        break;
    case Kind::Cylinder:
        p.bc = p.c;
        p.br = std::sqrt(p.half.x * p.half.x + p.half.y * p.half.y);
        break;
    }
    p.br += p.blend * 0.5 + 0.05;
}

// Distance to the solids of one list (indices sorted by group).
struct Field {
    const std::vector<Prim>* prims;

    double eval(const std::vector<int>& list, V3 p, int* nearest = nullptr) const {
        double dist = kFar, best = kFar;
        int group = -1;
        double acc = kFar, blend = 0;
        for (int i : list) {
            const Prim& pr = (*prims)[size_t(i)];
            const double d = primDist(pr, p);
            if (nearest && d < best) {
                best = d;
                *nearest = i;
            }
            if (pr.group == 0) {
                dist = std::min(dist, d);
                continue;
            }
            if (pr.group != group) {
                dist = std::min(dist, acc);
                group = pr.group;
                acc = d;
                blend = pr.blend;
            } else {
                acc = smin(acc, d, std::max(blend, pr.blend));
            }
        }
        return std::min(dist, acc);
    }
};

void sortByGroup(std::vector<int>& list, const std::vector<Prim>& prims) {
    std::stable_sort(list.begin(), list.end(),
                     [&](int a, int b) { return prims[size_t(a)].group < prims[size_t(b)].group; });
}

struct Sample {
    float r = 0, g = 0, b = 0;
    float nx = 0, ny = 0, nz = 0; // normal
    float depth = -1e30f;
    std::int16_t material = -1;
    bool hit = false;
};

void parallelFor(int count, const std::function<void(int)>& body) {
    std::atomic<int> next{0};
    auto work = [&] {
        for (int i = next++; i < count; i = next++)
            body(i);
    };
    const unsigned n = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < n; ++t)
        threads.emplace_back(work);
    work();
    for (auto& t : threads)
        t.join();
}

// Paints the face features on a head: eyes, brows, mouth, cheeks and the hair line.
Rgb paintFace(const Face& f, V3 p, Rgb skin) {
    const V3 l = f.rot.toLocal(p - f.centre);
    const V3 q = normalize(V3{l.x / f.radii.x, l.y / f.radii.y, l.z / f.radii.z});
    const double u = std::atan2(q.x, q.z); // 0 at the face's centre, + towards its left
    const double v = std::asin(std::clamp(q.y, -1.0, 1.0));
    const double au = std::abs(u);

    // Hair: over the top and the back of the head.
    // A side parting: the fringe sweeps down towards the face's right.
    double hairLine = mix(0.50, -0.62, smoothstep(0.55, 2.3, au));
    hairLine += 0.10 * smoothstep(-0.7, 0.7, u) * (1 - smoothstep(0.6, 1.4, au)) - 0.05;
    if (v > hairLine) {
        const double stripe = 0.04 * std::sin(u * 22.0 + v * 6.0);
        return scaleRgb(f.hair, 1.0 + stripe);
    }
    Rgb c = skin;
    // Cheeks.
    for (int side : {-1, 1}) {
        const double du = (u - side * 0.47) / 0.17, dv = (v + 0.26) / 0.12;
        const double w = std::exp(-(du * du + dv * dv) * 1.4);
        c = mixRgb(c, f.blush, 0.35 * w);
    }
    // Eyes.
    for (int side : {-1, 1}) {
        const double eu = side * 0.34, ev = 0.05;
        const double du = (u - eu) / 0.095, dv = (v - ev) / 0.082;
        if (f.eyes == EyeState::Open) {
            const double gu = du - f.gazeX * 0.35, gv = dv - f.gazeY * 0.35;
            if (du * du + dv * dv < 1.0) {
                c = f.eye;
                const double hu = gu + 0.32, hv = gv - 0.35;
                if (hu * hu + hv * hv < 0.07)
                    c = rgb(0xfdfaf2);
                return c;
            }
        } else {
            // A closed lid: a soft downward arc.
            const double arc = dv + 0.55 * (1.0 - du * du);
            const double width = f.eyes == EyeState::Half ? 0.55 : 0.32;
            if (std::abs(du) < 1.1 && std::abs(arc - 0.2) < width)
                return mixRgb(f.eye, skin, 0.15);
        }
        // Brows.
        const double bu = (u - side * 0.34) / 0.17;
        const double bv = v - 0.24 - 0.03 * (1 - bu * bu);
        if (std::abs(bu) < 1.0 && std::abs(bv) < 0.022)
            c = f.brow;
    }
    // Mouth.
    const double mu = u / 0.15;
    if (std::abs(mu) < 1.0) {
        double mv = v + 0.43;
        switch (f.mouth) {
        case Mouth::Smile:
            mv -= 0.045 * (mu * mu);
            if (std::abs(mv + 0.02) < 0.022)
                c = f.lip;
            break;
        case Mouth::Neutral:
            if (std::abs(mv) < 0.018 && std::abs(mu) < 0.75)
                c = f.lip;
            break;
        case Mouth::Open: {
            const double ou = mu / 0.55, ov = mv / 0.09;
            if (ou * ou + ov * ov < 1.0)
                c = scaleRgb(f.lip, 0.65);
            break;
        }
        case Mouth::Purse: {
            const double ou = mu / 0.35, ov = mv / 0.06;
            if (ou * ou + ov * ov < 1.0)
                c = scaleRgb(f.lip, 0.75);
            break;
        }
        }
    }
    return c;
}

} // namespace

Layers render(const Scene& input, const Camera& cam, int width, int height,
              const RenderOptions& opt) {
    std::vector<Prim> prims = input.prims;
    for (Prim& p : prims)
        bound(p);
    const Field field{&prims};

    const int ss = std::max(1, opt.supersample);
    const int W = width * ss, H = height * ss;
    const V3 R = cam.right(), U = cam.up(), C = cam.back();
    const V3 light = normalize(R * opt.light.x + U * opt.light.y + C * opt.light.z);
    const double pxPerCm = cam.scale * ss;

    // Tiles with the solids whose outline may fall into them.
    const int tile = 16;
    const int tw = (W + tile - 1) / tile, th = (H + tile - 1) / tile;
    std::vector<std::vector<int>> tiles(size_t(tw) * size_t(th));
    for (size_t i = 0; i < prims.size(); ++i) {
        const QPointF c = cam.project(prims[i].bc);
        const double r = prims[i].br * pxPerCm + 2;
        const int x0 = std::max(0, int((c.x() * ss - r) / tile));
        const int x1 = std::min(tw - 1, int((c.x() * ss + r) / tile));
        const int y0 = std::max(0, int((c.y() * ss - r) / tile));
        const int y1 = std::min(th - 1, int((c.y() * ss + r) / tile));
        for (int ty = y0; ty <= y1; ++ty)
            for (int tx = x0; tx <= x1; ++tx)
                tiles[size_t(ty) * size_t(tw) + size_t(tx)].push_back(int(i));
    }
    for (auto& t : tiles)
        sortByGroup(t, prims);

    std::vector<Sample> samples(size_t(W) * size_t(H));

    // The point of the picture plane through the centre of sample (x, y).
    auto planePoint = [&](double x, double y) {
        const double X = ((x + 0.5) / ss - cam.sx) / cam.scale;
        const double Y = (cam.sy - (y + 0.5) / ss) / cam.scale;
        return cam.target + R * X + U * Y;
    };

    parallelFor(tw * th, [&](int ti) {
        const std::vector<int>& list = tiles[size_t(ti)];
        if (list.empty())
            return;
        const int tx = ti % tw, ty = ti / tw;
        double sMax = -kFar, sMin = kFar;
        for (int i : list) {
            const double d = dot(prims[size_t(i)].bc, C);
            sMax = std::max(sMax, d + prims[size_t(i)].br);
            sMin = std::min(sMin, d - prims[size_t(i)].br);
        }
        std::vector<int> nearList;
        for (int y = ty * tile; y < std::min(H, ty * tile + tile); ++y)
            for (int x = tx * tile; x < std::min(W, tx * tile + tile); ++x) {
                const V3 q = planePoint(x, y);
                const double q0 = dot(q, C);
                double s = sMax + 0.5;
                bool hit = false;
                V3 p;
                double last = kFar;
                for (int step = 0; step < 400 && s > sMin - 0.5; ++step) {
                    p = q + C * (s - q0);
                    const double d = field.eval(list, p);
                    last = d;
                    if (d < 0.004) {
                        hit = true;
                        break;
                    }
                    s -= std::max(d, 0.002);
                }
                if (!hit && last < 0.03 && s > sMin - 0.5)
                    hit = true;
                if (!hit)
                    continue;
                // Solids near the hit point, for the normal, the occlusion and the material.
                nearList.clear();
                for (size_t i = 0; i < prims.size(); ++i)
                    if (length(prims[i].bc - p) - prims[i].br < 12)
                        nearList.push_back(int(i));
                sortByGroup(nearList, prims);
                int nearest = -1;
                field.eval(nearList, p, &nearest);
                const double h = 0.01;
                const V3 k1{1, -1, -1}, k2{-1, -1, 1}, k3{-1, 1, -1}, k4{1, 1, 1};
                const V3 n = normalize(
                    k1 * field.eval(nearList, p + k1 * h) + k2 * field.eval(nearList, p + k2 * h) +
                    k3 * field.eval(nearList, p + k3 * h) + k4 * field.eval(nearList, p + k4 * h));
                double occ = 0;
                for (int i = 1; i <= 4; ++i) {
                    const double hh = 1.2 * i * i * 0.5 + 0.4;
                    const double d = field.eval(nearList, p + n * hh);
                    occ += std::max(0.0, hh - d) / hh * (0.45 / i);
                }
                const double ao = 1.0 - std::clamp(occ, 0.0, 0.75);

                const Prim& pr = prims[size_t(nearest)];
                const Material& m = input.materials[size_t(pr.material)];
                Rgb base = m.colour;
                if (m.face >= 0)
                    base = paintFace(input.faces[size_t(m.face)], p, base);

                const double ndl = dot(n, light);
                const double diff = smoothstep(-0.45, 1.0, ndl);
                const double facing = std::max(0.0, dot(n, C));
                Rgb lit = scaleRgb(base, 0.66 + 0.42 * diff);
                // Cool the shaded side a little, warm the lit side.
                lit.r *= 0.97 + 0.05 * diff;
                lit.b *= 1.04 - 0.06 * diff;
                lit = scaleRgb(lit, 0.74 + 0.26 * ao);
                lit = scaleRgb(lit, 0.90 + 0.10 * std::pow(facing, 0.5));
                if (m.gloss > 0) {
                    const V3 refl = n * (2 * ndl) - light;
                    const double sp = std::pow(std::max(0.0, dot(refl, C)), 18.0) * m.gloss;
                    lit = {lit.r + sp, lit.g + sp, lit.b + sp};
                }
                Sample& smp = samples[size_t(y) * size_t(W) + size_t(x)];
                smp.hit = true;
                smp.depth = float(dot(p, C));
                smp.nx = float(n.x);
                smp.ny = float(n.y);
                smp.nz = float(n.z);
                smp.material = std::int16_t(pr.material);
                smp.r = float(std::clamp(lit.r, 0.0, 1.0));
                smp.g = float(std::clamp(lit.g, 0.0, 1.0));
                smp.b = float(std::clamp(lit.b, 0.0, 1.0));
            }
    });

    // Outline: a sample in front of a step in depth (or beside empty space) turns dark.
    const double radius = opt.outlinePx * ss;
    const int ir = int(std::ceil(radius));
    std::vector<std::pair<int, int>> offsets;
    for (int dy = -ir; dy <= ir; ++dy)
        for (int dx = -ir; dx <= ir; ++dx)
            if ((dx || dy) && dx * dx + dy * dy <= radius * radius)
                offsets.push_back({dx, dy});
    std::vector<float> edge(samples.size(), 0.0f);
    const float jump = 2.0f;
    if (radius > 0)
        parallelFor(H, [&](int y) {
            for (int x = 0; x < W; ++x) {
                const Sample& s = samples[size_t(y) * size_t(W) + size_t(x)];
                if (!s.hit)
                    continue;
                // The depth a neighbour would have on this sample's tangent plane.
                const V3 n{s.nx, s.ny, s.nz};
                const double nc = std::max(0.04, dot(n, C));
                const double ar = -dot(n, R) / nc / pxPerCm, au = dot(n, U) / nc / pxPerCm;
                for (auto [dx, dy] : offsets) {
                    const int nx = x + dx, ny = y + dy;
                    bool step;
                    if (nx < 0 || ny < 0 || nx >= W || ny >= H)
                        step = false;
                    else {
                        const Sample& o = samples[size_t(ny) * size_t(W) + size_t(nx)];
                        const double expected = s.depth + ar * dx + au * dy;
                        step = !o.hit || o.depth < std::min<double>(s.depth, expected) - jump;
                    }
                    if (step) {
                        edge[size_t(y) * size_t(W) + size_t(x)] =
                            float(input.materials[size_t(s.material)].outline);
                        break;
                    }
                }
            }
        });

    Layers out;
    out.colour = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
    out.colour.fill(Qt::transparent);
    parallelFor(height, [&](int y) {
        auto* row = reinterpret_cast<QRgb*>(out.colour.scanLine(y));
        for (int x = 0; x < width; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < ss; ++sy)
                for (int sx = 0; sx < ss; ++sx) {
                    const size_t i = size_t(y * ss + sy) * size_t(W) + size_t(x * ss + sx);
                    const Sample& s = samples[i];
                    if (!s.hit)
                        continue;
                    Rgb c{s.r, s.g, s.b};
                    if (edge[i] > 0) {
                        const Rgb dark = mixRgb(scaleRgb(c, 0.42), opt.outlineTint, 0.35);
                        c = mixRgb(c, dark, edge[i]);
                    }
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    a += 1;
                }
            const double n = ss * ss;
            row[x] = qRgba(int(r / n * 255 + 0.5), int(g / n * 255 + 0.5), int(b / n * 255 + 0.5),
                           int(a / n * 255 + 0.5));
        }
    });

    // Floor shadow at half resolution: a soft shadow from the light and a contact shadow.
    out.shadow = QImage(width, height, QImage::Format_Alpha8);
    out.shadow.fill(0);
    if (opt.floorShadow && C.y > 0.02 && !prims.empty()) {
        const int hw = (width + 1) / 2, hh = (height + 1) / 2;
        std::vector<float> dark(size_t(hw) * size_t(hh), 0.0f);
        V3 lo{kFar, kFar, kFar}, hi{-kFar, -kFar, -kFar};
        for (const Prim& p : prims) {
            lo = {std::min(lo.x, p.bc.x - p.br), std::min(lo.y, p.bc.y - p.br),
                  std::min(lo.z, p.bc.z - p.br)};
            hi = {std::max(hi.x, p.bc.x + p.br), std::max(hi.y, p.bc.y + p.br),
                  std::max(hi.z, p.bc.z + p.br)};
        }
        const V3 sun = normalize(light + V3{0, 1.6, 0});
        const double reach =
            std::max(0.0, hi.y) * std::sqrt(sun.x * sun.x + sun.z * sun.z) / std::max(0.2, sun.y) +
            20;
        std::vector<int> all(prims.size());
        for (size_t i = 0; i < prims.size(); ++i)
            all[i] = int(i);
        sortByGroup(all, prims);
        parallelFor(hh, [&](int y) {
            for (int x = 0; x < hw; ++x) {
                const double X = (x * 2 + 1.0 - cam.sx) / cam.scale;
                const double Y = (cam.sy - (y * 2 + 1.0)) / cam.scale;
                const V3 q = cam.target + R * X + U * Y;
                const V3 f = q + C * (-q.y / C.y);
                if (dot(f, C) < opt.wallDepth)
                    continue;
                if (f.x < lo.x - reach || f.x > hi.x + reach || f.z < lo.z - reach ||
                    f.z > hi.z + reach)
                    continue;
                double res = 1.0, t = 1.0;
                for (int i = 0; i < 40 && t < 260; ++i) {
                    const double d = field.eval(all, f + sun * t);
                    res = std::min(res, 5.0 * d / t);
                    if (res < 0.02)
                        break;
                    t += std::clamp(d, 0.6, 12.0);
                }
                double occ = 0;
                for (int i = 1; i <= 4; ++i) {
                    const double h = 2.5 * i * i;
                    const double d = field.eval(all, f + V3{0, h, 0});
                    occ += std::max(0.0, h - d) / h * (0.5 / i);
                }
                const double sh =
                    (1 - std::clamp(res, 0.0, 1.0)) * 0.7 + std::clamp(occ, 0.0, 1.0) * 0.6;
                dark[size_t(y) * size_t(hw) + size_t(x)] =
                    float(std::clamp(sh, 0.0, 1.0) * opt.shadowStrength);
            }
        });
        for (int y = 0; y < height; ++y) {
            uchar* row = out.shadow.scanLine(y);
            for (int x = 0; x < width; ++x) {
                // Bilinear from the half-size grid.
                const double fx = std::clamp((x - 0.5) / 2.0, 0.0, hw - 1.0);
                const double fy = std::clamp((y - 0.5) / 2.0, 0.0, hh - 1.0);
                const int x0 = int(fx), y0 = int(fy);
                const int x1 = std::min(hw - 1, x0 + 1), y1 = std::min(hh - 1, y0 + 1);
                const double ax = fx - x0, ay = fy - y0;
                auto at = [&](int xx, int yy) {
                    return dark[size_t(yy) * size_t(hw) + size_t(xx)];
                };
                const double v =
                    mix(mix(at(x0, y0), at(x1, y0), ax), mix(at(x0, y1), at(x1, y1), ax), ay);
                row[x] = uchar(std::clamp(v, 0.0, 1.0) * 255 + 0.5);
            }
        }
    }
    return out;
}

} // namespace pic
