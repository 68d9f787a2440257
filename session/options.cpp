#include "session/options.h"

#include <cstdio>

#include <CLI/CLI.hpp>

#include "session/script.h"

void AddScreenSizeOption(CLI::App& app, const std::string& name, int* width, int* height, const std::string& help)
{
    const std::string range = "each side from 1 to " + std::to_string(MaxScreenSide);
    app.add_option_function<std::string>(
           name, [width, height](const std::string& text) { ParseScreenSize(text, width, height); }, help)
        ->type_name("WxH")
        ->check(CLI::Validator(
            [range](std::string& text) {
                int w = 0;
                int h = 0;
                return ParseScreenSize(text, &w, &h) ? std::string() : "\"" + text + "\" is not WxH, " + range;
            },
            ""));
}

int RunOptionParse(CLI::App& app, int argc, const char* const* argv, const std::string& program,
                   std::string* message)
{
    try {
        app.parse(argc, argv);
        return GoOn;
    } catch (const CLI::CallForHelp&) {
        *message = app.help();
        return ExitAfterHelp;
    } catch (const CLI::CallForVersion& version) {
        *message = std::string(version.what()) + "\n";
        return ExitAfterHelp;
    } catch (const CLI::ParseError& error) {
        std::string line = program + ": " + error.what() + " (see --help)";
        for (char& c : line)
            c = c == '\n' ? ' ' : c;
        *message = line;
        return ExitBadCommandLine;
    }
}

int ParseGameOptions(int argc, const char* const* argv, GameOptions* options, std::string* message)
{
    CLI::App app("A crowd, a mouse and three fuses.", "fusewalker");
    app.set_version_flag("--version", "fusewalker " FW_VERSION);
    app.add_option("--fps", options->fps, "Frames per second at most, 1 to 1000; 0 or none: as fast as drawn")
        ->type_name("N")
        ->check(CLI::Range(0, 1000));
    app.add_option("--record", options->record, "Write the input of the whole session to FILE")->type_name("FILE");
    app.add_option("--play", options->play, "Play a recording back, then go on playing")->type_name("FILE");
    AddScreenSizeOption(app, "--window", &options->windowWidth, &options->windowHeight,
                        "An ordinary window of this size instead of the whole display");
    app.footer("Example:\n"
               "  fusewalker --window 1024x768 --fps 60 --record round.rec\n"
               "  fusewalker --play round.rec\n"
               "A recording also replays without a window: fusewalker-replay --script round.rec");
    return RunOptionParse(app, argc, argv, "fusewalker", message);
}

void PrintOptionMessage(int code, const std::string& message)
{
    if (code == ExitAfterHelp)
        std::fputs(message.c_str(), stdout);
    else
        std::fprintf(stderr, "%s\n", message.c_str());
}
