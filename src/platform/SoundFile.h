#pragma once
#include <string>

// Whether the game's WAV loader would take this file: a whole RIFF WAVE file that SDL
// decodes and can convert to the mixer's format. Needs no audio device, so tools can
// check sounds on a machine without one.
bool isPlayableWavFile(const std::string& fileName);
