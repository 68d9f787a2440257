#include "tools/replay_check.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "game/frame.h"
#include "sim/physics.h"
#include "world/globals.h"
#include "world/particles.h"

namespace {

bool Finite(const Vec4& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

std::vector<Particle> FirstCrowd;

// Bit for bit, so -0 and 0 differ.
bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool SameXyz(const Vec4& a, const Vec4& b) { return SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z); }

// Every field but w, which means nothing.
bool SameParticle(const Particle& a, const Particle& b)
{
    if (!SameXyz(a.pos, b.pos) || !SameXyz(a.vel, b.vel) || a.standing != b.standing || !SameBits(a.fuse, b.fuse) ||
        a.linkCount != b.linkCount)
        return false;
    for (int j = 0; j < a.linkCount && j < MaxLinks; ++j)
        if (a.links[j].target != b.links[j].target || !SameBits(a.links[j].restLength, b.links[j].restLength))
            return false;
    return true;
}

bool InTheBox(const Vec4& p) { return p.x >= -1.0f && p.x <= 1.0f && p.y >= FloorHeight && p.z >= 0.0f && p.z <= 1.0f; }

const char* StateName(int state)
{
    switch (state) {
    case Title: return "title";
    case Playing: return "playing";
    case Score: return "score";
    default: return "no state";
    }
}

// The state RunFrame must leave after a frame that began in `state`.
int ExpectedState(int state, bool clicked)
{
    switch (state) {
    case Title: return clicked ? Playing : Title;
    case Playing: return RoundHasEnded() ? Score : Playing;
    case Score: return clicked ? Title : Score;
    default: return state;
    }
}

} // namespace

FrameStart StartOfFrame(bool clicked, bool sized) { return FrameStart{CurrentState, PlayerScore, clicked, sized}; }

void RememberFirstCrowd() { FirstCrowd.assign(particles, particles + ParticleCount); }

std::string CheckCrowd(bool stepped)
{
    for (int g = 0; g < ParticleCount; ++g) {
        const Particle& p = particles[g];
        if (!Finite(p.pos) || !Finite(p.vel))
            return "particle " + std::to_string(g) + " is not finite";
        if (stepped && !InTheBox(p.pos))
            return "particle " + std::to_string(g) + " is outside the box after a step";
    }
    return "";
}

std::string CheckFrame(const FrameStart& start)
{
    // A size message sends the game back to the title before the frame runs.
    int before = start.sized ? int(Title) : start.state;
    std::string crowd = CheckCrowd(before == Playing);
    if (!crowd.empty())
        return crowd;
    // A size message, or the click that leaves the score screen, makes a new
    // crowd, and no playing frame has stepped it yet.
    if (start.sized || (start.state == Score && start.clicked))
        for (int g = 0; g < ParticleCount && g < int(FirstCrowd.size()); ++g)
            if (!SameParticle(particles[g], FirstCrowd[g]))
                return "the new round's particle " + std::to_string(g) + " differs from the first round's";
    int expected = ExpectedState(before, start.clicked);
    if (CurrentState != expected)
        return std::string("the game is on the ") + StateName(CurrentState) + " screen, expected the " +
               StateName(expected) + " screen";
    // A round runs from the click on the title to the click that leaves the score.
    if (before != Title && CurrentState != Title && PlayerScore < start.score)
        return "the score went down from " + std::to_string(start.score) + " to " + std::to_string(PlayerScore);
    return "";
}
