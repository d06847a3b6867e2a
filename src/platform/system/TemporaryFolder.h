#pragma once
#include <string>

// Makes a new folder for this program alone: `pattern` ends in "XXXXXX", which becomes a name
// nothing else holds. False, with a C error number, when it cannot be made.
bool makeUniqueFolder(std::string& pattern, int& error);
