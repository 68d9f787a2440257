#pragma once

#include <string>

// What a long unattended run checks after every frame (--check): nothing in
// the crowd is NaN or infinite, every particle is in the box once a playing
// frame has stepped, the score never goes down within a round, the game is
// in the state its rules give for the input the frame had, and every round
// starts from the very crowd the first one did.

struct FrameStart {
    int state; // before the frame's events
    int score;
    bool clicked; // the frame's events held a click
    bool sized; // and a size message
};

FrameStart StartOfFrame(bool clicked, bool sized);

// Keeps the crowd as the window's creation left it, for the frames that
// reset the round to be held to.
void RememberFirstCrowd();

// Empty when the game after the frame is sound, else what is wrong.
std::string CheckFrame(const FrameStart& start);

// Empty when every particle is finite and, once the crowd has stepped, in the box.
std::string CheckCrowd(bool stepped);
