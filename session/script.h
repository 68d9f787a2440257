#pragma once

#include <string>
#include <vector>

// The text form of a played session: what the replay tool reads and what
// the game writes with --record. One line each, '#' starts a comment:
//
//   pace N                 frames per second it was played at (0: as fast as drawn)
//   window W H             the game's window when it opened
//   from F                 the round it holds is shown from frame F: the frames
//                          before only bring the game to that round's start, and
//                          the game runs them through at once, unseen (a shared round)
//   F move X Y             the mouse moved to client pixel (X, Y) before frame F
//   F click X Y            the left button went down at (X, Y) before frame F
//   F size                 a size message before frame F
//   F display W H          mouse positions from frame F on are mapped against a W x H display
//   F window W H           the window is W x H from frame F on (the next size message applies it)
//   F outcome state S score P explosions E
//                          after frame F the game stood so; a replay checks it
//
// The three lines without a frame come first, once each at most; the rest
// come in frame order, within the limits of session/script_limits.h.

// Frame numbers run from 0 to this: far beyond any round, and small enough
// that no count of frames overflows.
constexpr long MaxScriptFrame = 100000000;
// Largest window or display side accepted anywhere.
constexpr int MaxScreenSide = 8192;
constexpr int MaxPace = 1000;

enum class ScriptEventKind { Move, Click, Size, Display, Window, Outcome };

struct ScriptLine {
    long frame = 0;
    ScriptEventKind kind = ScriptEventKind::Move;
    int x = 0; // move and click: the position; display and window: the size
    int y = 0;
    int state = 0; // outcome only
    int score = 0;
    int explosions = 0;
};

struct Script {
    int windowWidth = 0; // 0: no window line
    int windowHeight = 0;
    int pace = -1; // -1: no pace line
    long from = 0; // 0: no from line
    std::vector<ScriptLine> lines; // in file order, which is frame order
};

struct ScriptParse {
    bool ok = false;
    Script script;
    std::string error; // "line N: what is wrong" when not ok
};

ScriptParse ParseScript(const std::string& text);

// One line as ParseScript reads it back, without the newline.
std::string FormatScriptLine(const ScriptLine& line);

// A whole script as ParseScript reads it back: its heading lines, then one
// line an event.
std::string FormatScript(const Script& script);

// The same script, smaller where it travels as a link: a move that a later
// move or click of the same frame overrides is left out, as the frame sees
// only where the mouse ended up.
Script CompactScript(const Script& script);

// Reads "WxH" with each side from 1 to MaxScreenSide.
bool ParseScreenSize(const std::string& text, int* width, int* height);

// Reads and parses a whole script file; false, with one line naming the file
// (and the line in it), when it cannot be read or is malformed.
bool ReadScriptFile(const std::string& path, Script* script, std::string* error);
