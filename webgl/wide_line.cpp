#include "webgl/wide_line.h"

#include <algorithm>
#include <cmath>

namespace webgl {

namespace {

// How far inside each plane of -w <= x, y, z <= w a clip-space point lies.
void PlaneDistances(const float* p, float* d)
{
    for (int axis = 0; axis < 3; ++axis) {
        d[2 * axis] = p[3] + p[axis];
        d[2 * axis + 1] = p[3] - p[axis];
    }
}

BatchVertex Between(const BatchVertex& a, const BatchVertex& b, float t)
{
    BatchVertex v;
    for (int i = 0; i < 4; ++i) {
        v.position[i] = a.position[i] + t * (b.position[i] - a.position[i]);
        v.colour[i] = a.colour[i] + t * (b.colour[i] - a.colour[i]);
    }
    for (int i = 0; i < 2; ++i)
        v.texCoord[i] = a.texCoord[i] + t * (b.texCoord[i] - a.texCoord[i]);
    return v;
}

// Keeps the part of the segment inside the view volume; false if none is.
bool Clip(BatchVertex* a, BatchVertex* b)
{
    float da[6];
    float db[6];
    PlaneDistances(a->position, da);
    PlaneDistances(b->position, db);
    float t0 = 0.0f;
    float t1 = 1.0f;
    for (int plane = 0; plane < 6; ++plane) {
        if (da[plane] < 0.0f && db[plane] < 0.0f)
            return false;
        if (da[plane] < 0.0f)
            t0 = std::max(t0, da[plane] / (da[plane] - db[plane]));
        else if (db[plane] < 0.0f)
            t1 = std::min(t1, da[plane] / (da[plane] - db[plane]));
    }
    if (t0 > t1)
        return false;
    BatchVertex start = Between(*a, *b, t0);
    *b = Between(*a, *b, t1);
    *a = start;
    return true;
}

// A point in window pixels, split into its coordinate along the line's
// major axis and across it, with its normalised depth.
struct LinePoint {
    float along;
    float across;
    float depth;
};

LinePoint ToWindow(const float* clip, const GLint* viewport, bool xMajor)
{
    float x = float(viewport[0]) + (clip[0] / clip[3] + 1.0f) * 0.5f * float(viewport[2]);
    float y = float(viewport[1]) + (clip[1] / clip[3] + 1.0f) * 0.5f * float(viewport[3]);
    return {xMajor ? x : y, xMajor ? y : x, clip[2] / clip[3]};
}

// The colour and texture coordinate at window fraction t of the segment,
// corrected for perspective, with the window-space corner given.
BatchVertex Corner(const BatchVertex& a, const BatchVertex& b, float t, float along, float across, float depth,
                   bool xMajor, const GLint* viewport)
{
    float wa = a.position[3];
    float wb = b.position[3];
    BatchVertex v = Between(a, b, t * wa / ((1.0f - t) * wb + t * wa));
    float x = xMajor ? along : across;
    float y = xMajor ? across : along;
    v.position[0] = (x - float(viewport[0])) / float(viewport[2]) * 2.0f - 1.0f;
    v.position[1] = (y - float(viewport[1])) / float(viewport[3]) * 2.0f - 1.0f;
    v.position[2] = std::min(1.0f, std::max(-1.0f, depth));
    v.position[3] = 1.0f;
    return v;
}

// How far along a line the diamond of the pixel it crosses at this
// distance across reaches from the pixel's centre.
float DiamondReach(float across)
{
    float offCentre = std::fabs(across - std::floor(across) - 0.5f);
    return 0.5f - offCentre;
}

} // namespace

int WideLine(BatchVertex a, BatchVertex b, float width, const GLint* viewport, BatchVertex* out)
{
    if (viewport[2] <= 0 || viewport[3] <= 0 || !Clip(&a, &b))
        return 0;
    LinePoint p = ToWindow(a.position, viewport, true);
    LinePoint q = ToWindow(b.position, viewport, true);
    bool xMajor = std::fabs(q.along - p.along) >= std::fabs(q.across - p.across);
    if (!xMajor) {
        p = ToWindow(a.position, viewport, false);
        q = ToWindow(b.position, viewport, false);
    }
    if (p.along == q.along)
        return 0;

    // The first of the width's pixels across the line is the one a line one
    // pixel wide, moved across by (w - 1) / 2, would cover.
    float w = std::max(1.0f, std::floor(width + 0.5f));
    float shift = 0.5f * (w - 1.0f);
    // Along its length a line covers the pixels whose diamonds it leaves:
    // its ends are taken back by how far the diamond around them reaches
    // along the line, half a pixel less the line's distance from the
    // diamond's centre. Ends and sides are put on pixel edges, so that no
    // rounding in the rasteriser moves a pixel in or out.
    float direction = q.along > p.along ? 1.0f : -1.0f;
    float start = std::round(p.along - direction * DiamondReach(p.across - shift));
    float end = std::round(q.along - direction * DiamondReach(q.across - shift));
    if ((end - start) * direction <= 0.0f)
        return 0;
    float length = q.along - p.along;
    float t0 = (start - p.along) / length;
    float t1 = (end - p.along) / length;

    // Across it, w pixels centred on it; a line along an axis has its sides
    // on pixel edges too, and one exactly between two pixels takes the
    // lower, as Mesa's lines in the native pictures do.
    float side0 = p.across + t0 * (q.across - p.across) - 0.5f * w;
    float side1 = p.across + t1 * (q.across - p.across) - 0.5f * w;
    if (p.across == q.across) {
        side0 = std::ceil(side0 - 0.5f);
        side1 = side0;
    }
    float depth0 = p.depth + t0 * (q.depth - p.depth);
    float depth1 = p.depth + t1 * (q.depth - p.depth);

    BatchVertex p0 = Corner(a, b, t0, start, side0, depth0, xMajor, viewport);
    BatchVertex p1 = Corner(a, b, t0, start, side0 + w, depth0, xMajor, viewport);
    BatchVertex q0 = Corner(a, b, t1, end, side1, depth1, xMajor, viewport);
    BatchVertex q1 = Corner(a, b, t1, end, side1 + w, depth1, xMajor, viewport);
    const BatchVertex quad[6] = {p0, p1, q0, q0, p1, q1};
    std::copy(quad, quad + 6, out);
    return 6;
}

} // namespace webgl
