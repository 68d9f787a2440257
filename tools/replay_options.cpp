#include "tools/replay_options.h"

#include <algorithm>

#include <CLI/CLI.hpp>

#include "session/options.h"
#include "session/script.h"

namespace {

void Tidy(std::vector<long>* frames)
{
    std::sort(frames->begin(), frames->end());
    frames->erase(std::unique(frames->begin(), frames->end()), frames->end());
}

} // namespace

int ParseReplayOptions(int argc, const char* const* argv, ReplayOptions* o, std::string* message)
{
    CLI::App app("Plays the game without a window: scripted or recorded input through the shells' routing layer,\n"
                 "state dumps and pictures of chosen frames.",
                 "fusewalker-replay");
    const CLI::Range frame(0L, MaxScriptFrame);
    app.add_option("--data", o->dataDir, "Folder holding ragdoll.rag and face.bmp (default: .)")
        ->type_name("DIR")
        ->check(CLI::Validator(CLI::ExistingDirectory).description(""));
    AddScreenSizeOption(app, "--size", &o->width, &o->height,
                        "Size of the pictures and of the display the mouse is mapped against "
                        "(default: the script's window, else 1024x768)");
    app.add_option("--frames", o->frames, "Frames to run (default: to the script's last line, at least 600)")
        ->type_name("N")
        ->check(frame);
    CLI::Option* script = app.add_option("--script", o->scriptPath, "Script or recording to play")->type_name("FILE");
    app.add_option("--record", o->recordPath, "Record what is routed, as the game's --record does")
        ->type_name("FILE");
    app.add_option("--dump-at", o->dumpAt, "Write state-F.txt after these frames")
        ->type_name("F1,F2,...")
        ->delimiter(',')
        ->check(frame);
    app.add_option("--png-at", o->pngAt, "Write frame-F.png after these frames")
        ->type_name("F1,F2,...")
        ->delimiter(',')
        ->check(frame);
    app.add_option("--out", o->outDir, "Folder for the dumps and pictures (default: .)")->type_name("DIR");
    app.add_flag("--check", o->check,
                 "After every frame check that the crowd is finite and in the box, the score never goes down "
                 "within a round, the screen is the one the rules give and every round starts from the first "
                 "round's crowd");
    app.add_flag("--every-frame", o->everyFrame,
                 "Run and draw every frame; without it, a frame on the title or score screen that nothing acts on "
                 "and no picture, dump or check looks at takes only its clock step");
    app.add_option("--link", o->linkBase,
                   "Print the link that plays the --script recording in the web page at BASE_URL, and replay nothing")
        ->type_name("BASE_URL")
        ->needs(script);
    int code = RunOptionParse(app, argc, argv, "fusewalker-replay", message);
    Tidy(&o->dumpAt);
    Tidy(&o->pngAt);
    return code;
}
