#pragma once
#include <string>

// The program's own file with every link resolved; empty where the system cannot say.
std::string programFile();
