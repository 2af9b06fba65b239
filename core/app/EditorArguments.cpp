#include "app/EditorArguments.h"
#include "base/Version.h"

const std::string TEditorArguments::Usage =
    "Usage: varokconfig [PROJECT.usr]\n"
    "  or:  varokconfig -debug\n"
    "  or:  varokconfig --version | --help\n"
    "The configuration editor of the VERDA voice-alarm controller: composition, the alarm inputs'\n"
    "stages, and the controller's configuration image, read and written over a serial line.\n"
    "\n"
    "Options:\n"
    "  PROJECT.usr            opens this project at start (the message lengths from PROJECT.ini)\n"
    "  -debug                 the whole command line: shows the debug button (the traffic log and\n"
    "                         the image view) and makes the identity fields editable\n"
    "  --version              prints the version and exits\n"
    "  --help                 prints this help and exits\n"
    "\n"
    "Environment:\n"
    "  VAROKCONFIG_PORTS      a folder: port N is its entry comN and nothing else\n"
    "\n"
    "The command-line tool varokconfig-cli runs the same core without a window.\n";

TEditorArguments TEditorArguments::Read(const std::vector<std::string>& arguments) {
    TEditorArguments read;
    if (arguments.size() == 1) {
        const std::string& only = arguments[0];
        if (only == "--version")
            read.Answer = TAnswer::Version;
        else if (only == "--help" || only == "-h")
            read.Answer = TAnswer::Help;
        else if (only == "-debug")
            read.CommandText = only;
        if (read.Answer != TAnswer::None || !read.CommandText.empty())
            return read;
    }
    // Any other option is passed over; the words of a path the shell split at its blanks are
    // joined again.
    for (const std::string& word : arguments)
        if (!word.empty() && word[0] != '-')
            read.CommandText += (read.CommandText.empty() ? "" : " ") + word;
    return read;
}

std::string TEditorArguments::AnswerText() const {
    return Answer == TAnswer::Version ? VersionLine("varokconfig") + "\n" : Usage;
}
