#pragma once
// Where the game's data is: the one folder that holds res/, wherever the program was
// started from. The game and the tools read every data path relative to it.
#include <string>

// What the search goes by. Every field may be empty: that place is then not tried.
struct DataLookup {
    // The folder the player named (the game's --data), absolute or relative to
    // `workingDirectory`. When given it is the only place tried.
    std::string chosen;
    // How the option is called in messages ("--data" for the game, "--root" for the tools).
    std::string optionName = "--data";
    // The absolute directory the program was started from.
    std::string workingDirectory;
    // The program's own file with every link resolved.
    std::string executable;
    // The installed data folder relative to the folder of the executable
    // ("../share/games/marrowgast" for a prefix install).
    std::string dataFromExecutable;
    // The source tree of the build; empty in builds made for installation.
    std::string sourceDirectory;
};

enum class DataSource { None, Chosen, WorkingDirectory, Installed, SourceTree };

struct DataLocation {
    DataSource source = DataSource::None;
    // Absolute and without "." or ".." parts; empty when nothing was found.
    std::string directory;
    // One line saying where the search looked, when nothing was found.
    std::string error;
};

// True when `directory` has a folder (or a link to one) named res.
bool holdsGameData(const std::string& directory);

// The first of: the chosen folder (and only it, when given); the working directory, so a
// room author's folder wins; the installed data beside the executable; the source tree.
// Looks at the file system, changes nothing.
DataLocation findDataDirectory(const DataLookup& lookup);

// The facts of this run: the working directory and the program's own file, with the build's
// own two settings and the option the player gave.
DataLookup lookupForThisProgram(std::string chosen, std::string dataFromExecutable,
                                std::string sourceDirectory);
