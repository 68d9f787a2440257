#include "tools/replay_dump.h"

#include <cstdio>

#include "world/globals.h"
#include "world/particles.h"

bool WriteStateDump(const std::string& path, long frame)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::fprintf(file, "frame %ld state %d score %d explosions %d left %d clickpending %d clock %.9g\n", frame,
                 int(CurrentState), int(PlayerScore), int(ExplosionCount), int(FusewalkersLeft), int(ClickPending),
                 double(FrameClock));
    for (int g = 0; g < ParticleCount; ++g) {
        const Particle& p = particles[g];
        std::fprintf(file, "%d %.9g %.9g %.9g %.9g %.9g %.9g %d %.9g\n", g, double(p.pos.x), double(p.pos.y),
                     double(p.pos.z), double(p.vel.x), double(p.vel.y), double(p.vel.z), int(p.standing),
                     double(p.fuse));
    }
    bool written = !std::ferror(file);
    return std::fclose(file) == 0 && written;
}
