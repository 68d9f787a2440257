#include "session/script.h"

#include "session/script_limits.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr int MinPixel = -32768; // the window messages carry signed 16-bit positions
constexpr int MaxPixel = 32767;
constexpr int MaxCount = 2147483647;

// Plain decimal digits with an optional minus, nothing else, within [low, high].
template <class Number>
bool ParseNumber(std::string_view text, Number low, Number high, Number* value)
{
    Number n = 0;
    const char* end = text.data() + text.size();
    auto [at, error] = std::from_chars(text.data(), end, n);
    if (error != std::errc() || at != end || n < low || n > high)
        return false;
    *value = n;
    return true;
}

// A word as an error message shows it: printable, and short.
std::string Quoted(std::string_view word)
{
    constexpr size_t MaxShown = 24;
    std::string shown = "\"";
    for (size_t i = 0; i < word.size() && i < MaxShown; ++i)
        shown += (word[i] >= 0x20 && word[i] < 0x7f) ? word[i] : '?';
    if (word.size() > MaxShown)
        shown += "...";
    return shown + "\"";
}

bool Space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// The words of one line, into `words` (cleared first).
void Words(std::string_view line, std::vector<std::string_view>* words)
{
    words->clear();
    for (size_t at = 0; at < line.size();) {
        while (at < line.size() && Space(line[at]))
            ++at;
        size_t end = at;
        while (end < line.size() && !Space(line[end]))
            ++end;
        if (end > at)
            words->emplace_back(line.substr(at, end - at));
        at = end;
    }
}

std::string Range(long low, long high) { return "from " + std::to_string(low) + " to " + std::to_string(high); }

// The two numbers that end a line, after the word at words[named], each within [low, high].
std::string ReadPair(const std::vector<std::string_view>& words, size_t named, int low, int high, int* a, int* b)
{
    if (words.size() != named + 3)
        return Quoted(words[named]) + " takes two numbers";
    std::string_view first = words[named + 1];
    std::string_view second = words[named + 2];
    if (!ParseNumber(first, low, high, a) || !ParseNumber(second, low, high, b))
        return Quoted(std::string(first) + " " + std::string(second)) + " is not two whole numbers " + Range(low, high);
    return "";
}

// "outcome state S score P explosions E"
std::string ReadOutcome(const std::vector<std::string_view>& words, ScriptLine* line)
{
    const char* names[] = {"state", "score", "explosions"};
    int* fields[] = {&line->state, &line->score, &line->explosions};
    const int highs[] = {2, MaxCount, MaxCount};
    if (words.size() != 8)
        return "\"outcome\" takes state S score P explosions E";
    for (int i = 0; i < 3; ++i) {
        if (words[size_t(2 + 2 * i)] != names[i])
            return "\"outcome\" takes state S score P explosions E";
        if (!ParseNumber(words[size_t(3 + 2 * i)], 0, highs[i], fields[i]))
            return std::string(names[i]) + " " + Quoted(words[size_t(3 + 2 * i)]) + " is not a whole number " +
                   Range(0, highs[i]);
    }
    return "";
}

std::string ReadEvent(const std::vector<std::string_view>& words, ScriptLine* line)
{
    if (!ParseNumber(words[0], 0L, MaxScriptFrame, &line->frame))
        return "frame number " + Quoted(words[0]) + " is not a whole number " + Range(0, MaxScriptFrame);
    if (words.size() < 2)
        return "missing event after the frame number";
    std::string_view kind = words[1];
    if (kind == "size") {
        line->kind = ScriptEventKind::Size;
        return words.size() == 2 ? "" : "\"size\" takes nothing more";
    }
    if (kind == "outcome") {
        line->kind = ScriptEventKind::Outcome;
        return ReadOutcome(words, line);
    }
    if (kind == "move" || kind == "click") {
        line->kind = kind == "move" ? ScriptEventKind::Move : ScriptEventKind::Click;
        return ReadPair(words, 1, MinPixel, MaxPixel, &line->x, &line->y);
    }
    if (kind == "display" || kind == "window") {
        line->kind = kind == "display" ? ScriptEventKind::Display : ScriptEventKind::Window;
        return ReadPair(words, 1, 1, MaxScreenSide, &line->x, &line->y);
    }
    return "unknown event " + Quoted(kind) + " (expected move, click, size, display, window or outcome)";
}

bool IsHeading(std::string_view word) { return word == "pace" || word == "window" || word == "from"; }

// "pace N", "from F" or "window W H" before the first event.
std::string ReadHeading(const std::vector<std::string_view>& words, Script* script)
{
    if (!script->lines.empty())
        return Quoted(words[0]) + " must come before the first event";
    if (words[0] == "pace") {
        if (script->pace >= 0)
            return "a second \"pace\"";
        if (words.size() != 2 || !ParseNumber(words[1], 0, MaxPace, &script->pace))
            return "\"pace\" takes one whole number " + Range(0, MaxPace);
        return "";
    }
    if (words[0] == "from") {
        if (script->from > 0)
            return "a second \"from\"";
        if (words.size() != 2 || !ParseNumber(words[1], 1L, MaxScriptFrame, &script->from))
            return "\"from\" takes one whole number " + Range(1, MaxScriptFrame);
        return "";
    }
    if (script->windowWidth > 0)
        return "a second \"window\"";
    return ReadPair(words, 0, 1, MaxScreenSide, &script->windowWidth, &script->windowHeight);
}

} // namespace

ScriptParse ParseScript(const std::string& text)
{
    ScriptParse result;
    // Room for a line a line, up to a million: a recording of a megabyte
    // then grows its list of lines but once.
    result.script.lines.reserve(std::min<size_t>(std::count(text.begin(), text.end(), '\n') + 1, 1 << 20));
    ScriptLimitState limits;
    std::vector<std::string_view> words;
    int lineNumber = 0;
    std::string problem;
    for (size_t at = 0; at < text.size() && problem.empty();) {
        size_t end = std::min(text.find('\n', at), text.size());
        ++lineNumber;
        Words(std::string_view(text).substr(at, end - at), &words);
        at = end + 1;
        if (words.empty() || words[0][0] == '#')
            continue;
        if (IsHeading(words[0])) {
            problem = ReadHeading(words, &result.script);
            continue;
        }
        ScriptLine event;
        problem = ReadEvent(words, &event);
        if (problem.empty())
            problem = CheckScriptLine(result.script, event, &limits);
        result.script.lines.push_back(event);
    }
    if (problem.empty())
        problem = CheckScriptEnd(result.script, limits);
    if (!problem.empty()) {
        result.script = Script();
        result.error = "line " + std::to_string(lineNumber) + ": " + problem;
        return result;
    }
    result.ok = true;
    return result;
}

std::string FormatScriptLine(const ScriptLine& line)
{
    std::string frame = std::to_string(line.frame);
    std::string pair = std::to_string(line.x) + " " + std::to_string(line.y);
    switch (line.kind) {
    case ScriptEventKind::Move: return frame + " move " + pair;
    case ScriptEventKind::Click: return frame + " click " + pair;
    case ScriptEventKind::Size: return frame + " size";
    case ScriptEventKind::Display: return frame + " display " + pair;
    case ScriptEventKind::Window: return frame + " window " + pair;
    case ScriptEventKind::Outcome: break;
    }
    return frame + " outcome state " + std::to_string(line.state) + " score " + std::to_string(line.score) +
           " explosions " + std::to_string(line.explosions);
}

std::string FormatScript(const Script& script)
{
    std::string text;
    if (script.pace >= 0)
        text += "pace " + std::to_string(script.pace) + "\n";
    if (script.windowWidth > 0)
        text += "window " + std::to_string(script.windowWidth) + " " + std::to_string(script.windowHeight) + "\n";
    if (script.from > 0)
        text += "from " + std::to_string(script.from) + "\n";
    for (const ScriptLine& line : script.lines)
        text += FormatScriptLine(line) + "\n";
    return text;
}

Script CompactScript(const Script& script)
{
    Script compact = script;
    compact.lines.clear();
    // From the last line back: whether a move or click comes later in the frame.
    std::vector<bool> keep(script.lines.size(), true);
    bool pointerLater = false;
    for (size_t i = script.lines.size(); i-- > 0;) {
        const ScriptLine& line = script.lines[i];
        if (i + 1 < script.lines.size() && script.lines[i + 1].frame != line.frame)
            pointerLater = false;
        bool pointer = line.kind == ScriptEventKind::Move || line.kind == ScriptEventKind::Click;
        keep[i] = !(line.kind == ScriptEventKind::Move && pointerLater);
        pointerLater |= pointer;
    }
    for (size_t i = 0; i < script.lines.size(); ++i)
        if (keep[i])
            compact.lines.push_back(script.lines[i]);
    return compact;
}

bool ParseScreenSize(const std::string& text, int* width, int* height)
{
    size_t x = text.find('x');
    int w = 0;
    int h = 0;
    if (x == std::string::npos || !ParseNumber(text.substr(0, x), 1, MaxScreenSide, &w) ||
        !ParseNumber(text.substr(x + 1), 1, MaxScreenSide, &h))
        return false;
    *width = w;
    *height = h;
    return true;
}

bool ReadScriptFile(const std::string& path, Script* script, std::string* error)
{
    // Far beyond hours of play; a file this large is not a recording.
    constexpr long MaxBytes = 64L << 20;
    FILE* file = std::fopen(path.c_str(), "rb");
    std::string text;
    bool read = file != nullptr;
    char block[65536];
    while (read && text.size() <= size_t(MaxBytes)) {
        size_t n = std::fread(block, 1, sizeof block, file);
        text.append(block, n);
        if (n < sizeof block) {
            read = !std::ferror(file);
            break;
        }
    }
    std::string reason = read ? "" : std::strerror(errno);
    if (file)
        std::fclose(file);
    if (!read) {
        *error = "cannot read \"" + path + "\": " + reason;
        return false;
    }
    if (text.size() > size_t(MaxBytes)) {
        *error = "\"" + path + "\" is larger than " + std::to_string(MaxBytes >> 20) + " MiB";
        return false;
    }
    ScriptParse parse = ParseScript(text);
    if (!parse.ok) {
        *error = "\"" + path + "\" " + parse.error;
        return false;
    }
    *script = std::move(parse.script);
    return true;
}
