#pragma once

#include <string>

// A round as it is sent to the hall, a POST /api/rounds body:
//   {"name": "...", "round": "<a share link's fragment after #round=>"}
//   {"name": "...", "recording": "<the recording's text>"}

struct Submission {
    std::string name;
    std::string sent; // the fragment, or the recording's text
    bool link = false;
};

// Reads a body: one JSON object of strings, nothing nested. False, with
// why, when it is not one (400).
bool ReadSubmission(const std::string& body, Submission* submission, std::string* error);

constexpr size_t MaxNameCharacters = 24;

// Empty when `name` is 1 to MaxNameCharacters printable characters of
// well-formed UTF-8 (no overlong forms, surrogates, control, invisible or
// direction-changing characters) and not only spaces; else why not.
std::string CheckName(const std::string& name);

// The longest link fragment the hall keeps: an ordinary round's is 2 to 3
// KB, and the hall page lists a hundred of them.
constexpr size_t MaxKeptFragmentChars = 64 << 10;

// A round as the hall replays, hashes and keeps it: the recording read by
// the game's own parser, compacted and written out again as its link holds
// it, so that the same round sent as a link or as text, with comments or
// without, is one round.
struct PreparedRound {
    std::string text; // what the worker replays and the hash is taken of
    std::string fragment; // its link's fragment, after "#round="
    std::string sha256;
    int score = 0; // what its last outcome line claims
    long frames = 0; // to its last line
};

// False, with what the player is told (422), when the link does not
// unpack, the recording does not parse, it does not end with a finished
// round (its last line an outcome on the score screen, state 2) or it is
// too large to keep.
bool PrepareRound(const Submission& submission, PreparedRound* round, std::string* error);
