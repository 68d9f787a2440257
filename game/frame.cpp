#include "game/frame.h"

#include <cstring>

#include "world/globals.h"
#include "game/view.h"
#include "render/font.h"
#include "render/gl.h"
#include "render/room.h"
#include "sim/physics.h"
#include "world/particles.h"
#include "world/round.h"

namespace {

struct TitleLine {
    const char* text;
    Vec4 position;
    float size;
};

const TitleLine TitleLines[] = {
    {"fusewalker", Vec4(0.5f, 0.15f, 0.15f), 0.05f},
    {"a crowd a mouse and three fuses", Vec4(0.2f, 0.0f, 0.15f), 0.025f},
    {"place three fusewalkers", Vec4(0.45f, -0.2f, 0.15f), 0.025f},
    {"the fusewalkers will blow up", Vec4(0.4f, -0.3f, 0.15f), 0.025f},
    {"score is based on deaths and injuries caused", Vec4(0.75f, -0.4f, 0.15f), 0.025f},
};

void DrawText(const char* text, Vec4 position, float size)
{
    DrawString(text, int(std::strlen(text)), position, size);
}

void RunTitle()
{
    glLineWidth(0.5f);
    SetUpScene();
    for (const TitleLine& line : TitleLines)
        DrawText(line.text, line.position, line.size);

    // The prompt's line width steps through 0.5, 2, 4, 1, 3 to make it blink.
    int blink = (2 * int(FrameClock)) % 5;
    if (blink > 0)
        glLineWidth(float(blink));
    DrawText("press left mouse to begin", Vec4(0.42f, -0.6f, 0.15f), 0.025f);

    if (ClickPending) {
        CurrentState = Playing;
        FusewalkersLeft = FusewalkersPerRound;
        PlayerScore = 0;
        ExplosionCount = 0;
    }
}

void RunPlaying()
{
    SetUpScene();
    DrawPlayingScene();
    StepSimulation(TimeStep);
    if (RoundHasEnded())
        CurrentState = Score;
}

void RunScore()
{
    SetUpScene();
    SetColour(1.0f, 0.0f, 0.0f, 1.0f);
    DrawText("you scored", Vec4(0.2f, 0.1f, 0.15f), 0.025f);
    // Centred: the outer digit anchors straddle x = -0.025 at any length.
    float x = NumberWidth(PlayerScore, 0.1f) * 0.5f + 0.125f;
    DrawNumber(PlayerScore, Vec4(x, -0.2f, 0.15f), 0.1f);
    if (ClickPending) {
        ResetRound();
        CurrentState = Title;
    }
}

} // namespace

bool RoundHasEnded()
{
    bool anyStanding = false;
    bool moving = false;
    for (int g = 0; g < ParticleCount; g += ParticlesPerPerson) {
        const Particle& head = particles[g];
        if (head.standing)
            anyStanding = true;
        else if (head.vel.LengthSquared() > RestSpeedSquared)
            moving = true;
    }
    return !moving && (ExplosionCount == ExplosionsPerRound || !anyStanding);
}

void RunFrame()
{
    switch (CurrentState) {
    case Title: RunTitle(); break;
    case Playing: RunPlaying(); break;
    case Score: RunScore(); break;
    default: break;
    }
    // A click acts on the frame after it and only that one.
    ClickPending = 0;
    AdvanceFrameClock();
    glFlush();
}

void AdvanceFrameClock() { FrameClock += 0.1f; }
