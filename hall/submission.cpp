#include "hall/submission.h"

#include <map>

#include <nlohmann/json.hpp>

#include "hall/sha256.h"
#include "session/script.h"
#include "tools/round_link.h"

namespace {

using Json = nlohmann::json;

// Takes a flat object of strings and nothing else, so no body can nest
// deeper than one level however it is written.
struct FlatObject : nlohmann::json_sax<Json> {
    std::map<std::string, std::string> fields;
    std::string current; // the key of the value to come
    int depth = 0;
    std::string error;

    bool Refuse(const std::string& why)
    {
        error = why;
        return false;
    }
    bool NotAString()
    {
        return Refuse(depth == 0 ? "the body is not a JSON object" : "the body holds a value that is not a string");
    }
    bool null() override { return NotAString(); }
    bool boolean(bool) override { return NotAString(); }
    bool number_integer(number_integer_t) override { return NotAString(); }
    bool number_unsigned(number_unsigned_t) override { return NotAString(); }
    bool number_float(number_float_t, const string_t&) override { return NotAString(); }
    bool binary(binary_t&) override { return NotAString(); }
    bool start_array(std::size_t) override { return NotAString(); }
    bool end_array() override { return false; }
    bool start_object(std::size_t) override { return ++depth == 1 || Refuse("the body nests objects"); }
    bool end_object() override { return --depth == 0; }
    bool key(string_t& name) override
    {
        current = name;
        return fields.count(current) == 0 || Refuse("the body gives \"" + current + "\" twice");
    }
    bool string(string_t& value) override
    {
        if (depth != 1)
            return NotAString();
        fields[current] = std::move(value);
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override
    {
        return Refuse("the body is not JSON (UTF-8)");
    }
};

// The code point starting at `text[*at]`, moving past it; -1 for anything
// but the shortest UTF-8 form of a Unicode scalar value.
long NextCodePoint(const std::string& text, size_t* at)
{
    unsigned char lead = static_cast<unsigned char>(text[(*at)++]);
    if (lead < 0x80)
        return lead;
    int more = lead >= 0xf0 ? 3 : lead >= 0xe0 ? 2 : lead >= 0xc0 ? 1 : -1;
    if (more < 0 || lead > 0xf4)
        return -1;
    long point = lead & (0x3f >> more);
    for (int i = 0; i < more; ++i) {
        if (*at >= text.size() || (static_cast<unsigned char>(text[*at]) & 0xc0) != 0x80)
            return -1;
        point = point << 6 | (static_cast<unsigned char>(text[(*at)++]) & 0x3f);
    }
    static const long Shortest[] = {0, 0x80, 0x800, 0x10000};
    if (point < Shortest[more] || point > 0x10ffff || (point >= 0xd800 && point <= 0xdfff))
        return -1;
    return point;
}

// Controls, and what shows nothing or turns the text around it.
bool Printable(long point)
{
    return point >= 0x20 && !(point >= 0x7f && point <= 0x9f) && point != 0xad && !(point >= 0x200b && point <= 0x200f) &&
           !(point >= 0x2028 && point <= 0x202e) && !(point >= 0x2060 && point <= 0x206f) && point != 0xfeff &&
           !(point >= 0xfff9 && point <= 0xfffb) && !(point >= 0xfdd0 && point <= 0xfdef) && (point & 0xfffe) != 0xfffe;
}

} // namespace

bool ReadSubmission(const std::string& body, Submission* submission, std::string* error)
{
    FlatObject object;
    if (!Json::sax_parse(body, &object)) {
        *error = object.error.empty() ? "the body is not a JSON object" : object.error;
        return false;
    }
    auto name = object.fields.find("name");
    auto round = object.fields.find("round");
    auto recording = object.fields.find("recording");
    if (name == object.fields.end()) {
        *error = "the body gives no \"name\"";
        return false;
    }
    if ((round == object.fields.end()) == (recording == object.fields.end())) {
        *error = "the body must give one of \"round\" (a link's fragment) and \"recording\" (its text)";
        return false;
    }
    submission->name = name->second;
    submission->link = round != object.fields.end();
    submission->sent = submission->link ? round->second : recording->second;
    return true;
}

std::string CheckName(const std::string& name)
{
    size_t characters = 0;
    bool spaces = true;
    for (size_t at = 0; at < name.size(); ++characters) {
        long point = NextCodePoint(name, &at);
        if (point < 0)
            return "the name is not well-formed UTF-8";
        if (!Printable(point))
            return "the name holds a control or invisible character";
        spaces = spaces && point == ' ';
    }
    if (characters == 0 || spaces)
        return "the name is empty";
    if (characters > MaxNameCharacters)
        return "the name is longer than " + std::to_string(MaxNameCharacters) + " characters";
    return "";
}

bool PrepareRound(const Submission& submission, PreparedRound* round, std::string* error)
{
    std::string text = submission.sent;
    if (submission.link && !UnpackRoundLink(submission.sent, &text, error))
        return false;
    if (text.size() > MaxLinkedRecordingBytes) {
        *error = "the recording is larger than a link holds (" + std::to_string(MaxLinkedRecordingBytes) + " bytes)";
        return false;
    }
    ScriptParse parse = ParseScript(text);
    if (!parse.ok) {
        *error = parse.error;
        return false;
    }
    const Script& script = parse.script;
    if (script.lines.empty() || script.lines.back().kind != ScriptEventKind::Outcome || script.lines.back().state != 2) {
        *error = "the recording does not end with a finished round: its last line must be the outcome of a round on "
                 "its score screen (state 2)";
        return false;
    }
    std::string link = RoundLink("", script, error);
    if (link.empty())
        return false;
    round->fragment = link.substr(link.find('=') + 1);
    if (round->fragment.size() > MaxKeptFragmentChars) {
        *error = "the round's link is " + std::to_string(round->fragment.size()) + " characters, and the hall keeps " +
                 std::to_string(MaxKeptFragmentChars) + " at most";
        return false;
    }
    round->text = FormatScript(CompactScript(script));
    round->sha256 = Sha256Hex(round->text);
    round->score = script.lines.back().score;
    round->frames = script.lines.back().frame + 1;
    return true;
}
