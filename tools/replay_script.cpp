#include "tools/replay_script.h"

#include <algorithm>
#include <sstream>

#include "tools/replay_numbers.h"

namespace {

constexpr long MinPixel = -32768;
constexpr long MaxPixel = 32767;

// A word from the script as an error message shows it: printable, and short.
std::string Quoted(const std::string& word)
{
    constexpr size_t MaxShown = 24;
    std::string shown = "\"";
    for (size_t i = 0; i < word.size() && i < MaxShown; ++i)
        shown += (word[i] >= 0x20 && word[i] < 0x7f) ? word[i] : '?';
    if (word.size() > MaxShown)
        shown += "...";
    return shown + "\"";
}

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

// Empty when the line is sound, else what is wrong with it.
std::string ParseLine(const std::vector<std::string>& words, ReplayEvent* event)
{
    long frame = 0;
    if (!ParseWholeNumber(words[0], 0, MaxReplayFrames, &frame))
        return "frame number " + Quoted(words[0]) + " is not a whole number from 0 to " + std::to_string(MaxReplayFrames);
    event->frame = int(frame);
    if (words.size() < 2)
        return "missing event after the frame number";

    const std::string& kind = words[1];
    if (kind == "size") {
        if (words.size() != 2)
            return "\"size\" takes no position";
        event->kind = ReplayEventKind::Size;
        return "";
    }
    if (kind != "move" && kind != "click")
        return "unknown event " + Quoted(kind) + " (expected move, click or size)";
    event->kind = kind == "move" ? ReplayEventKind::Move : ReplayEventKind::Click;
    if (words.size() != 4)
        return "\"" + kind + "\" takes a position X Y";
    long x = 0;
    long y = 0;
    if (!ParseWholeNumber(words[2], MinPixel, MaxPixel, &x) || !ParseWholeNumber(words[3], MinPixel, MaxPixel, &y))
        return "position " + Quoted(words[2] + " " + words[3]) + " is not two whole numbers from -32768 to 32767";
    event->x = int(x);
    event->y = int(y);
    return "";
}

} // namespace

ScriptParse ParseReplayScript(const std::string& text)
{
    ScriptParse result;
    std::istringstream in(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> words = Words(line);
        if (words.empty() || words[0][0] == '#')
            continue;
        ReplayEvent event;
        std::string problem = ParseLine(words, &event);
        if (!problem.empty()) {
            result.events.clear();
            result.error = "line " + std::to_string(lineNumber) + ": " + problem;
            return result;
        }
        result.events.push_back(event);
    }
    std::stable_sort(result.events.begin(), result.events.end(),
                     [](const ReplayEvent& a, const ReplayEvent& b) { return a.frame < b.frame; });
    result.ok = true;
    return result;
}
