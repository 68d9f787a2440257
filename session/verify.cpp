#include "session/verify.h"

#include <algorithm>
#include <limits>

#include "session/playback.h"
#include "session/routing.h"
#include "world/globals.h"

Verification VerifyRecording(const Script& script)
{
    ScreenWidth = script.windowWidth ? script.windowWidth : 1024;
    ScreenHeight = script.windowWidth ? script.windowHeight : 768;
    StartPlayback(script, PlaybackMode::Replay);
    RouteCreate();
    long frames = script.lines.empty() ? 0 : script.lines.back().frame + 1;
    // A line at a time, to stop at the first outcome that differs.
    while (!PlaybackFailed() && RoutedFrames() < frames)
        RouteUnseenFrames(std::min(frames, PlaybackNextFrame() + 1), std::numeric_limits<double>::infinity());

    Verification result;
    result.outcomes = PlaybackOutcomesChecked();
    result.failedFrame = PlaybackFirstFailedFrame();
    result.matched = result.outcomes > 0 && !PlaybackFailed();
    result.problem = PlaybackFailed() ? PlaybackFirstFailure()
                     : result.outcomes == 0 ? "the recording holds no outcome to check" : "";
    result.summary = PlaybackSummary(RoutedFrames());
    result.score = PlayerScore;
    return result;
}
