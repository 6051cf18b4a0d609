#pragma once

#include <string>
#include <vector>

namespace kinorex::cli {

// What the command line needs from the terminal, one implementation per platform
// (console_posix.cpp, console_win32.cpp). Text inside Kinorex is UTF-8 everywhere.

// The arguments after the program name, in UTF-8. Windows hands main() its arguments in
// the ANSI code page, which cannot name every file; they are fetched in UTF-16 instead.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// True when standard output is a terminal (on Windows a console), where the progress bar
// is redrawn in place.
bool standardOutputIsTerminal();

// Columns of the terminal that shows standard output; 80 when it cannot be told.
int terminalColumns();

// While it lives, a Windows console shows what is written to it as UTF-8; the console's
// own code page comes back afterwards, as the console outlives the program.
class Utf8Console {
public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    unsigned previousCodePage_ = 0;
};

}  // namespace kinorex::cli
