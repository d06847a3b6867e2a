#include "app/Version.h"

#include <algorithm>

std::string versionText(std::string_view program) {
    std::string text(program);
    text += " " MARROWGAST_VERSION "\n"
            "Copyright 2026 The Marrowgast developers.\n"
            "Free software: the code is under the MIT licence; the game's data, art and documents\n"
            "are under Creative Commons Attribution 4.0 International (CC-BY-4.0). There is no\n"
            "warranty. The texts come with the game (LICENSE, or the package's copyright file),\n"
            "the licences of the libraries it is built with in THIRD-PARTY-NOTICES.\n";
    return text;
}

bool asksForVersion(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--version") != args.end();
}
