#pragma once
#include <string>

// The working folder an editor starts in, where the report (a bare name) lands until a project
// is opened or saved. A project named at start is opened from its own folder, as the file
// dialogs leave it; otherwise the user's documents folder where the system names one for
// this (Windows: never the program's own folder, read-only under Program Files, nor the
// system's that a file association may start the editor in); elsewhere the folder it was
// started in.
class TStartFolder {
public:
    // Enters that folder; answers the command text with a project's name made whole first,
    // so that a name relative to the folder the editor was started in still finds it.
    static std::string Enter(const std::string& commandText);
    // The user's documents folder for an editor started without a project; empty to stay.
    static std::string Documents();
};
