#include "sound/RecordingSoundSink.h"

void RecordingSoundSink::playSound(const char* fileName) {
    recorded.push_back(Request{Request::Kind::Play, fileName != nullptr ? fileName : ""});
}

void RecordingSoundSink::stopAllSounds() {
    recorded.push_back(Request{Request::Kind::StopAll, {}});
}

std::string RecordingSoundSink::traceLine(const Request& request) {
    if (request.kind == Request::Kind::StopAll)
        return "stop";
    return "sound=" + request.fileName;
}
