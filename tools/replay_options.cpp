#include "tools/replay_options.h"

#include <algorithm>

#include "tools/replay_numbers.h"

namespace {

bool ParseSize(const std::string& text, int* width, int* height)
{
    size_t x = text.find('x');
    if (x == std::string::npos)
        return false;
    long w = 0;
    long h = 0;
    if (!ParseWholeNumber(text.substr(0, x), 1, MaxReplaySide, &w) ||
        !ParseWholeNumber(text.substr(x + 1), 1, MaxReplaySide, &h))
        return false;
    *width = int(w);
    *height = int(h);
    return true;
}

bool ParseFrameList(const std::string& text, std::vector<long>* frames)
{
    frames->clear();
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        long frame = 0;
        if (!ParseWholeNumber(item, 0, MaxReplayFrames, &frame))
            return false;
        frames->push_back(frame);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    std::sort(frames->begin(), frames->end());
    frames->erase(std::unique(frames->begin(), frames->end()), frames->end());
    return true;
}

// Empty when every listed frame is run.
std::string CheckFramesRun(const char* option, const std::vector<long>& list, long frames)
{
    if (!list.empty() && list.back() >= frames)
        return std::string(option) + " frame " + std::to_string(list.back()) + " is never run: --frames is " +
               std::to_string(frames) + " (frames 0 to " + std::to_string(frames - 1) + ")";
    return "";
}

} // namespace

OptionsParse ParseReplayOptions(const std::vector<std::string>& args)
{
    OptionsParse result;
    ReplayOptions& o = result.options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            o.help = true;
            continue;
        }
        if (name != "--data" && name != "--size" && name != "--frames" && name != "--script" &&
            name != "--dump-at" && name != "--png-at" && name != "--out") {
            result.error = "unknown option \"" + name + "\"";
            return result;
        }
        if (i + 1 == args.size()) {
            result.error = name + " needs a value";
            return result;
        }
        const std::string& value = args[++i];
        if (name == "--data" || name == "--script" || name == "--out") {
            if (value.empty()) {
                result.error = name + " needs a non-empty path";
                return result;
            }
            (name == "--data" ? o.dataDir : name == "--script" ? o.scriptPath : o.outDir) = value;
        } else if (name == "--size") {
            if (!ParseSize(value, &o.width, &o.height)) {
                result.error = "bad --size \"" + value + "\": expected WxH, each from 1 to " +
                               std::to_string(MaxReplaySide);
                return result;
            }
        } else if (name == "--frames") {
            if (!ParseWholeNumber(value, 0, MaxReplayFrames, &o.frames)) {
                result.error = "bad --frames \"" + value + "\": expected a whole number from 0 to " +
                               std::to_string(MaxReplayFrames);
                return result;
            }
        } else if (!ParseFrameList(value, name == "--dump-at" ? &o.dumpAt : &o.pngAt)) {
            result.error = "bad " + name + " \"" + value + "\": expected frame numbers separated by commas";
            return result;
        }
    }
    for (const std::string& problem :
         {CheckFramesRun("--dump-at", o.dumpAt, o.frames), CheckFramesRun("--png-at", o.pngAt, o.frames)}) {
        if (!problem.empty()) {
            result.error = problem;
            return result;
        }
    }
    result.ok = true;
    return result;
}

const char* ReplayUsage()
{
    return "usage: fusewalker-replay [--data DIR] [--size WxH] [--frames N] [--script FILE]\n"
           "                         [--dump-at F1,F2,...] [--png-at F1,F2,...] [--out DIR]\n";
}
