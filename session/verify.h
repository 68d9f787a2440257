#pragma once

#include <string>

#include "session/script.h"

// A recording replayed to its last line unseen, as fast as the game's state
// allows, with every outcome line checked: how a round is verified where
// nobody watches. It needs no drawing: without a current OpenGL context the
// drawing calls do nothing, as in a game that could make none.
struct Verification {
    bool matched = false; // every outcome line matched, and there was one
    long outcomes = 0; // outcome lines checked
    long failedFrame = -1; // the first frame whose outcome differs
    std::string problem; // why it did not match, in the replay's words
    std::string summary; // the replay's one-line JSON summary, as the replay tool prints it
    int score = 0; // the game's, after the last line
};

// Replays `script` from a new window of the recording's size (1024 x 768
// without one) until its last line has played or an outcome differs.
Verification VerifyRecording(const Script& script);
