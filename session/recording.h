#pragma once

#include <string>

#include "session/script.h"

// --record: every event the shells route, written as it goes in the replay's
// script form, so a kill loses at most the frame under way.

// Opens the file for writing and puts the pace line at its head; false, with
// a line saying why, when it cannot be written.
bool StartRecording(const std::string& path, int pace, std::string* error);
bool Recording();

// Writes one line; a failed write stops the recording with one line on
// standard error, and the game goes on.
void Record(const ScriptLine& line);
void RecordWindow(int width, int height); // the heading line, before any event

// Hands what is written to the system: once a frame, and at the end.
void FlushRecording();
void StopRecording();
