#include <emmintrin.h>

#include "sim/physics.h"
#include "world/particles.h"

// One sweep of link relaxation. A person's links only ever move that
// person's own particles, so people can be relaxed side by side: eight at a
// time, one per SSE lane in two vectors, each lane doing exactly the
// single-precision operations, in exactly the order, that relaxing its
// person alone would. The two vectors are independent, so each one's long
// chain of dependent operations (square root, division) overlaps the
// other's. People whose link table is not the plain skeleton (nothing in the
// game makes one, but nothing forbids it either) are relaxed one particle at
// a time, in index order, together with the rest of their group.

namespace {

constexpr float LinkGain = 40.0f;
constexpr int Vectors = 2;
constexpr int Lanes = 4 * Vectors;
static_assert(PeopleCount % Lanes == 0, "the crowd splits evenly into groups");

bool HasPlainSkeleton(int person)
{
    const Particle* body = particles + person * ParticlesPerPerson;
    int base = person * ParticlesPerPerson;
    for (int k = 0; k < ParticlesPerPerson; ++k) {
        const SkeletonEntry& s = Skeleton[k];
        if (body[k].linkCount != s.linkCount)
            return false;
        for (int j = 0; j < s.linkCount; ++j)
            if (body[k].links[j].target - base != s.target[j] ||
                body[k].links[j].restLength != s.restLength[j])
                return false;
    }
    return true;
}

// A group of people, particle by particle: lane i of vector v holds person
// first + 4v + i.
struct SideBySide {
    __m128 px[ParticlesPerPerson][Vectors], py[ParticlesPerPerson][Vectors], pz[ParticlesPerPerson][Vectors];
    __m128 vx[ParticlesPerPerson][Vectors], vy[ParticlesPerPerson][Vectors], vz[ParticlesPerPerson][Vectors];
    __m128 pw[ParticlesPerPerson][Vectors], vw[ParticlesPerPerson][Vectors]; // ride along untouched
    __m128 free[ParticlesPerPerson][Vectors]; // all bits set where the particle does not stand
};

void Gather(int first, SideBySide& s)
{
    for (int k = 0; k < ParticlesPerPerson; ++k) {
        for (int v = 0; v < Vectors; ++v) {
            const Particle* p[4];
            for (int i = 0; i < 4; ++i)
                p[i] = &particles[(first + 4 * v + i) * ParticlesPerPerson + k];
            __m128 a = _mm_loadu_ps(&p[0]->pos.x), b = _mm_loadu_ps(&p[1]->pos.x);
            __m128 c = _mm_loadu_ps(&p[2]->pos.x), d = _mm_loadu_ps(&p[3]->pos.x);
            _MM_TRANSPOSE4_PS(a, b, c, d);
            s.px[k][v] = a, s.py[k][v] = b, s.pz[k][v] = c, s.pw[k][v] = d;
            a = _mm_loadu_ps(&p[0]->vel.x), b = _mm_loadu_ps(&p[1]->vel.x);
            c = _mm_loadu_ps(&p[2]->vel.x), d = _mm_loadu_ps(&p[3]->vel.x);
            _MM_TRANSPOSE4_PS(a, b, c, d);
            s.vx[k][v] = a, s.vy[k][v] = b, s.vz[k][v] = c, s.vw[k][v] = d;
            __m128i standing = _mm_set_epi32(p[3]->standing, p[2]->standing, p[1]->standing, p[0]->standing);
            s.free[k][v] = _mm_castsi128_ps(_mm_cmpeq_epi32(standing, _mm_setzero_si128()));
        }
    }
}

void Scatter(int first, const SideBySide& s)
{
    for (int k = 0; k < ParticlesPerPerson; ++k) {
        for (int v = 0; v < Vectors; ++v) {
            Particle* p[4];
            for (int i = 0; i < 4; ++i)
                p[i] = &particles[(first + 4 * v + i) * ParticlesPerPerson + k];
            __m128 a = s.px[k][v], b = s.py[k][v], c = s.pz[k][v], d = s.pw[k][v];
            _MM_TRANSPOSE4_PS(a, b, c, d);
            _mm_storeu_ps(&p[0]->pos.x, a), _mm_storeu_ps(&p[1]->pos.x, b);
            _mm_storeu_ps(&p[2]->pos.x, c), _mm_storeu_ps(&p[3]->pos.x, d);
            a = s.vx[k][v], b = s.vy[k][v], c = s.vz[k][v], d = s.vw[k][v];
            _MM_TRANSPOSE4_PS(a, b, c, d);
            _mm_storeu_ps(&p[0]->vel.x, a), _mm_storeu_ps(&p[1]->vel.x, b);
            _mm_storeu_ps(&p[2]->vel.x, c), _mm_storeu_ps(&p[3]->vel.x, d);
        }
    }
}

__m128 Negate(__m128 a) { return _mm_xor_ps(a, _mm_set1_ps(-0.0f)); }

// RelaxParticle's arithmetic for the link from role k to role t, in every lane.
// Every change is made by subtracting an amount masked to +0 in the lanes
// that must not change: x - (+0) is x in every bit, -0 included, and
// x - (-e) is the very operation x + e, so each lane ends exactly as
// RelaxParticle would leave it.
void RelaxLink(SideBySide& s, int k, int t, float restLength)
{
    for (int v = 0; v < Vectors; ++v) {
        __m128 dx = _mm_sub_ps(s.px[k][v], s.px[t][v]);
        __m128 dy = _mm_sub_ps(s.py[k][v], s.py[t][v]);
        __m128 dz = _mm_sub_ps(s.pz[k][v], s.pz[t][v]);
        __m128 square = _mm_add_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)), _mm_mul_ps(dz, dz));
        // Length treats squares below its epsilon as zero length: no pull.
        __m128 pulls = _mm_and_ps(s.free[k][v], _mm_cmpnlt_ps(square, _mm_set1_ps(LengthEpsilon)));
        __m128 movesTarget = _mm_and_ps(pulls, s.free[t][v]);

        __m128 length = _mm_sqrt_ps(square);
        __m128 inverse = _mm_div_ps(_mm_set1_ps(1.0f), length);
        __m128 ux = _mm_mul_ps(dx, inverse);
        __m128 uy = _mm_mul_ps(dy, inverse);
        __m128 uz = _mm_mul_ps(dz, inverse);
        __m128 stretch = _mm_sub_ps(length, _mm_set1_ps(restLength));

        __m128 gain = _mm_mul_ps(_mm_set1_ps(LinkGain), stretch);
        __m128 ex = _mm_mul_ps(ux, gain);
        __m128 ey = _mm_mul_ps(uy, gain);
        __m128 ez = _mm_mul_ps(uz, gain);
        s.vx[k][v] = _mm_sub_ps(s.vx[k][v], _mm_and_ps(pulls, ex));
        s.vy[k][v] = _mm_sub_ps(s.vy[k][v], _mm_and_ps(pulls, ey));
        s.vz[k][v] = _mm_sub_ps(s.vz[k][v], _mm_and_ps(pulls, ez));
        s.vx[t][v] = _mm_sub_ps(s.vx[t][v], _mm_and_ps(movesTarget, Negate(ex)));
        s.vy[t][v] = _mm_sub_ps(s.vy[t][v], _mm_and_ps(movesTarget, Negate(ey)));
        s.vz[t][v] = _mm_sub_ps(s.vz[t][v], _mm_and_ps(movesTarget, Negate(ez)));

        __m128 half = _mm_mul_ps(_mm_set1_ps(0.5f), stretch);
        __m128 cx = _mm_mul_ps(ux, half);
        __m128 cy = _mm_mul_ps(uy, half);
        __m128 cz = _mm_mul_ps(uz, half);
        s.px[k][v] = _mm_sub_ps(s.px[k][v], _mm_and_ps(pulls, cx));
        s.py[k][v] = _mm_sub_ps(s.py[k][v], _mm_and_ps(pulls, cy));
        s.pz[k][v] = _mm_sub_ps(s.pz[k][v], _mm_and_ps(pulls, cz));
        s.px[t][v] = _mm_sub_ps(s.px[t][v], _mm_and_ps(movesTarget, Negate(cx)));
        s.py[t][v] = _mm_sub_ps(s.py[t][v], _mm_and_ps(movesTarget, Negate(cy)));
        s.pz[t][v] = _mm_sub_ps(s.pz[t][v], _mm_and_ps(movesTarget, Negate(cz)));
    }
}

void RelaxSideBySide(int first)
{
    SideBySide s;
    Gather(first, s);
    for (int k = 0; k < ParticlesPerPerson; ++k)
        for (int j = 0; j < Skeleton[k].linkCount; ++j)
            RelaxLink(s, k, Skeleton[k].target[j], Skeleton[k].restLength[j]);
    Scatter(first, s);
}

} // namespace

void RelaxParticle(int g)
{
    Particle& p = particles[g];
    if (p.standing)
        return;
    for (int j = 0; j < p.linkCount; ++j) {
        Particle& q = particles[p.links[j].target];
        Vec4 u = p.pos;
        u -= q.pos;
        float length = u.Length();
        // Two ends on one point give no direction to pull along.
        if (length == 0.0f)
            continue;
        u *= 1.0f / length;
        float stretch = length - p.links[j].restLength;

        Vec4 e = u;
        e *= LinkGain * stretch;
        p.vel -= e;
        if (!q.standing)
            q.vel += e;

        Vec4 c = u;
        c *= 0.5f * stretch;
        p.pos -= c;
        if (!q.standing)
            q.pos += c;
    }
}

void RelaxLinks()
{
    for (int first = 0; first < PeopleCount; first += Lanes) {
        bool plain = true;
        for (int i = 0; i < Lanes && plain; ++i)
            plain = HasPlainSkeleton(first + i);
        if (plain) {
            RelaxSideBySide(first);
        } else {
            // In index order, exactly as the links are written.
            for (int g = first * ParticlesPerPerson; g < (first + Lanes) * ParticlesPerPerson; ++g)
                RelaxParticle(g);
        }
    }
}
