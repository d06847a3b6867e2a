#pragma once
// The one command-line reader of the game and its tools: `--name VALUE` and `--name=VALUE`,
// --help and -h, --version, and one way of refusing a line (exit status 2).
#include <iosfwd>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// An option a program takes. `value` is how its value is written in the help (empty for an
// option that takes none); `help` is a line or two ('\n' between them) saying what it does.
struct CommandOption {
    std::string_view name;
    std::string_view value;
    std::string_view help;
};

struct CommandLineProgram {
    std::string_view name;
    // The usage lines and what the program does, printed before the options.
    std::string_view about;
    std::vector<CommandOption> options;
    // Printed after the options (where data is looked for, exit statuses, keys).
    std::string_view after;
    // Whether plain words (room files) are taken; without, a plain word is refused.
    bool takesWords = false;
};

// One word of a command line read: an option with its value, or a plain word (empty option).
struct CommandWord {
    std::string option;
    std::string value;
};

// The options with their help in aligned columns, then --help and --version.
std::string commandHelp(const CommandLineProgram& program);

// Splits the arguments after the program's name. --help, -h and --version come back as words
// too. False, with one line in `error` naming the word, for an unknown option, a value left
// out or empty, a value given to an option that takes none, or an unwanted plain word.
bool splitCommandLine(const CommandLineProgram& program, const std::vector<std::string>& args,
                      std::vector<CommandWord>& words, std::string& error);

// Splits the arguments and answers --version (wherever it stands) and --help on `out` with
// status 0, or refuses the line on `err` with status 2. -1: run with `words`.
int readCommandLine(const CommandLineProgram& program, const std::vector<std::string>& args,
                    std::vector<CommandWord>& words, std::ostream& out, std::ostream& err);

// "PROGRAM: WHAT; try PROGRAM --help" on `err`; returns 2, the status of a usage error.
int refuseCommandLine(std::string_view program, const std::string& what, std::ostream& err);

// A file name typed on the command line, made whole from the working directory, so that it
// means the same after a set-up and messages name it in full. "" and "-" stay as they are.
// False, with `gone` set, when it is relative and the working directory no longer exists.
bool fromWorkingDirectory(std::string& fileName, std::error_code& gone);
