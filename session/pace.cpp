#include "session/pace.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace {

int FramesPerSecond = 0;
double Due = 0.0;

// How long a 1 ms sleep really takes, learnt as the game runs (mean plus one
// standard deviation): some systems round every sleep up to their timer tick.
double SleepCount = 0.0;
double SleepMean = 0.0;
double SleepSpread = 0.0; // sum of squared deviations
double SleepEstimate = 0.005;

double Now()
{
    using Seconds = std::chrono::duration<double>;
    return Seconds(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void LearnSleep(double took)
{
    SleepCount += 1.0;
    double delta = took - SleepMean;
    SleepMean += delta / SleepCount;
    SleepSpread += delta * (took - SleepMean);
    SleepEstimate = SleepMean + std::sqrt(SleepSpread / SleepCount);
}

} // namespace

void SetPace(int framesPerSecond)
{
    FramesPerSecond = framesPerSecond > 0 ? framesPerSecond : 0;
    Due = 0.0;
}

int Pace() { return FramesPerSecond; }

double NextFrameDue(double due, double now, double period)
{
    double next = due + period;
    if (due <= 0.0 || now - next > period)
        return now;
    return next;
}

void WaitForNextFrame()
{
    if (FramesPerSecond == 0)
        return;
    Due = NextFrameDue(Due, Now(), 1.0 / FramesPerSecond);
    // Sleep while a sleep surely ends in time, then spin the last stretch.
    for (double now = Now(); Due - now > SleepEstimate; now = Now()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        LearnSleep(Now() - now);
    }
    while (Now() < Due) {
    }
}

// Five eighths: the refreshes of 30, 60, 90, 120, 144 and 240 Hz displays
// all fall at least 0.69 ms from a frame's time (at 144 Hz no time can do
// better), so the small unevenness of their times changes no pattern.
constexpr double EarlyBy = 0.625;

long FramesDue(PageClock* clock, double now, int pace)
{
    if (clock->start < 0.0 || now - clock->last > StallSeconds || now < clock->last) {
        clock->start = now;
        clock->frames = 0;
    }
    clock->last = now;
    long due = std::max(0L, long(std::floor((now - clock->start) * pace + EarlyBy)) + 1 - clock->frames);
    clock->frames += due;
    return due;
}
