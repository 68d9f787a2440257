#pragma once

#include <string>

// The game's only output besides its window: one line on standard error for
// anything that goes wrong, after the program's name.

// "fusewalker" unless a tool says otherwise.
void SetProgramName(const std::string& name);

void ReportProblem(const std::string& text);
