#include "platform/system/ChildProcess.h"

// A page runs no other program.
struct ChildProcess::Handles {};

ChildProcess::ChildProcess() : handles(std::make_unique<Handles>()) {}
ChildProcess::~ChildProcess() = default;

bool ChildProcess::start(const std::string&, const std::vector<std::string>&, std::string& why) {
    why = "a browser runs no other program";
    return false;
}

bool ChildProcess::read(std::string&) {
    return false;
}

std::optional<int> ChildProcess::exitStatus() {
    return std::nullopt;
}

bool ChildProcess::running() {
    return false;
}

void ChildProcess::stop() {}
