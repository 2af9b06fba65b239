#include "Arguments.h"
#include "base/WideText.h"
#include <windows.h>

// argv holds the arguments in the ANSI code page, which cannot carry every name: take them
// from the wide command line instead. The messages are UTF-8 too, so the console shows them so.
std::vector<std::string> CommandArguments(int, char**) {
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(Utf8Text(wide[i]));
    LocalFree(wide);
    return args;
}
