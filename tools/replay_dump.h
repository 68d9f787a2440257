#pragma once

#include <string>

// What the replay writes about the game as it stands after a frame.

// The state dump: "frame F state S score P explosions E left L clickpending C
// clock K", then one line "g px py pz vx vy vz standing fuse" per particle,
// floats as %.9g so every bit survives. False if the file cannot be written.
bool WriteStateDump(const std::string& path, long frame);
