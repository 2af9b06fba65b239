#pragma once
#include <string>
#include <vector>

// What the editor's arguments ask for, as the system split them (the program's name left out).
// Both editors hand theirs here and do as it says.
struct TEditorArguments {
    enum class TAnswer { None, Version, Help };
    static const std::string Usage;

    // Answered instead of starting the editor: --version or --help standing alone.
    TAnswer Answer = TAnswer::None;
    // TMain's command text: "-debug" when that is the whole command line, otherwise the project
    // to open at start (the words that do not start with "-"), or empty.
    std::string CommandText;

    static TEditorArguments Read(const std::vector<std::string>& arguments);
    // The text of the answer: the version line or the usage.
    std::string AnswerText() const;
};
