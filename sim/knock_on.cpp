#include <algorithm>

#include "sim/fuse.h"
#include "world/particles.h"

// Falls spread through the crowd: every fallen head knocks down the standing
// heads it touches. Instead of testing every fallen head against every
// standing one, the standing heads are sorted into square cells over the
// floor, wider than the touching distance, so a fallen head only needs the
// heads in its own cell and the eight around it. The outcome is the
// all-pairs one exactly: the same test on the same floats, and the people
// taken in index order, so a person knocked down by a lower-numbered one
// acts in the same pass and one knocked down by a higher-numbered one only
// from the next step.

namespace {

// 1/32 of a unit: more than twice the touching distance, so touching heads
// always lie in the same or in neighbouring cells, with rounding to spare.
constexpr float CellsPerUnit = 32.0f;
constexpr int CellsX = 64; // x from -1 to 1
constexpr int CellsZ = 32; // z from 0 to 1
constexpr int CellCount = CellsX * CellsZ;

struct GridHead {
    Vec4 pos;
    int person;
};

// Standing heads ordered by cell; a cell's heads lie from CellStart[c] up to
// CellStart[c + 1]. Rebuilt by every pass: the step keeps nothing.
GridHead Heads[PeopleCount];
int CellStart[CellCount + 1];
int CellOf[PeopleCount];
Vec4 HeadPos[PeopleCount];
bool Fallen[PeopleCount];

// Heads off the floor's area, however far (or not a number), go to the
// border cells; clamping keeps neighbours neighbours.
int CellCoordinate(float v, float origin, int cells)
{
    float c = (v - origin) * CellsPerUnit;
    if (!(c > 0.0f))
        return 0;
    if (c >= float(cells - 1))
        return cells - 1;
    return int(c);
}

// False when nobody has fallen: then there is nothing to spread and no need
// for the cells.
bool SortStandingHeadsIntoCells()
{
    bool anyFallen = false;
    for (int p = 0; p < PeopleCount; ++p) {
        Fallen[p] = !particles[p * ParticlesPerPerson].standing;
        anyFallen |= Fallen[p];
    }
    if (!anyFallen)
        return false;

    std::fill(CellStart, CellStart + CellCount + 1, 0);
    for (int p = 0; p < PeopleCount; ++p) {
        HeadPos[p] = particles[p * ParticlesPerPerson].pos;
        CellOf[p] = CellCoordinate(HeadPos[p].z, 0.0f, CellsZ) * CellsX + CellCoordinate(HeadPos[p].x, -1.0f, CellsX);
        if (!Fallen[p])
            ++CellStart[CellOf[p] + 1];
    }
    for (int c = 0; c < CellCount; ++c)
        CellStart[c + 1] += CellStart[c];
    int filled[CellCount];
    std::copy(CellStart, CellStart + CellCount, filled);
    for (int p = 0; p < PeopleCount; ++p)
        if (!Fallen[p])
            Heads[filled[CellOf[p]]++] = GridHead{HeadPos[p], p};
    return true;
}

void KnockDownNeighbours(int k)
{
    Vec4 pos = HeadPos[k];
    int cx = CellOf[k] % CellsX;
    int cz = CellOf[k] / CellsX;
    int x0 = std::max(cx - 1, 0);
    int x1 = std::min(cx + 1, CellsX - 1);
    for (int z = std::max(cz - 1, 0); z <= std::min(cz + 1, CellsZ - 1); ++z) {
        // A row's three cells are consecutive, and so are their heads.
        int end = CellStart[z * CellsX + x1 + 1];
        for (int i = CellStart[z * CellsX + x0]; i < end; ++i) {
            Vec4 d = pos;
            d -= Heads[i].pos;
            if (d.LengthSquared() < KnockOnDistanceSquared) {
                particles[Heads[i].person * ParticlesPerPerson].standing = 0;
                Fallen[Heads[i].person] = true;
            }
        }
    }
}

} // namespace

void SpreadFalls()
{
    if (!SortStandingHeadsIntoCells())
        return;
    for (int k = 0; k < PeopleCount; ++k)
        if (Fallen[k])
            KnockDownNeighbours(k);
}
