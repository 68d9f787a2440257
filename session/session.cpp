#include "session/session.h"

#include <algorithm>
#include <filesystem>

#include "session/pace.h"
#include "session/playback.h"
#include "session/recording.h"

namespace {

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

} // namespace

bool StartSession(const GameOptions& options, int pace, std::string* error)
{
    Script script;
    if (!options.play.empty() && !ReadScriptFile(options.play, &script, error))
        return false;
    if (!options.record.empty() && !options.play.empty() && SameFile(options.record, options.play)) {
        *error = "--record would write over the recording --play reads, \"" + options.play + "\"";
        return false;
    }
    pace = options.fps >= 0 ? options.fps : script.pace >= 0 ? script.pace : pace;
    if (!options.record.empty() && !StartRecording(options.record, pace, error))
        return false;
    if (!options.play.empty())
        StartPlayback(script, PlaybackMode::Live);
    SetPace(pace);
    return true;
}
