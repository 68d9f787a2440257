#include "session/report.h"

#include <cstdio>

namespace {

std::string ProgramName = "fusewalker";

} // namespace

void SetProgramName(const std::string& name) { ProgramName = name; }

void ReportProblem(const std::string& text) { std::fprintf(stderr, "%s: %s\n", ProgramName.c_str(), text.c_str()); }
