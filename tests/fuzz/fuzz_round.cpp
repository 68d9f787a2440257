// Any bytes as a shared round: after '#', a link's fragment, else a recording's text. What parses reads back the
// same as the game writes a recording, as the keeper writes a round, and as a link unpacked again.
#include <cstdint>
#include <string>

#include "session/script.h"
#include "tools/round_link.h"

namespace {

bool SameLines(const Script& a, const Script& b) { return FormatScript(a) == FormatScript(b); }

bool ReadsBack(const Script& script, const std::string& text)
{
    ScriptParse again = ParseScript(text);
    return again.ok && SameLines(again.script, script);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string text = input, error;
    if (!input.empty() && input[0] == '#' && !UnpackRoundLink(input.substr(1), &text, &error)) {
        if (error.empty() || !text.empty())
            __builtin_trap();
        return 0;
    }
    if (text.size() > MaxLinkedRecordingBytes)
        __builtin_trap();
    ScriptParse parse = ParseScript(text);
    if (!parse.ok)
        return 0;
    Script kept = CompactScript(parse.script);
    if (!ReadsBack(parse.script, FormatScript(parse.script)) || !ReadsBack(kept, FormatScript(kept)))
        __builtin_trap();
    std::string link = RoundLink("http://host/", parse.script, &error);
    std::string unpacked;
    if (!link.empty() && (!UnpackRoundLink(link.substr(link.find('#') + 7), &unpacked, &error) || !ReadsBack(kept, unpacked)))
        __builtin_trap();
    return 0;
}
