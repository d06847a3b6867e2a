#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Every data file the game reads (rooms, animation sets, images, sounds) is opened here.
// Rooms travel as archives, so a name may lead to a pipe, a device, a socket or a directory:
// those, and regular files bigger than the reader's bound, count as files that cannot be
// opened. Opening never blocks, whatever the name leads to.
std::FILE* openDataFile(const std::string& path, std::uintmax_t maxBytes);
// Told the name of every data file that opened; none unless a room author watches the files.
extern void (*onDataFileOpened)(const std::string& path);

// Bounds no legal file of the game comes near; docs/ROOMS.md lists them.
constexpr std::uintmax_t MaxDefinitionFileBytes = 4u * 1024u * 1024u;
constexpr std::uintmax_t MaxSoundFileBytes = 64u * 1024u * 1024u;
constexpr std::uintmax_t MaxImageFileBytes = 512u * 1024u * 1024u;

// What kind of thing a name leads to, for the room check's messages.
enum class DataFileProblem { None, Missing, NotRegular, TooBig };
DataFileProblem dataFileProblem(const std::string& path, std::uintmax_t maxBytes);
