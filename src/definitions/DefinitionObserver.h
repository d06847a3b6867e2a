#pragma once
#include "definitions/Conversions.h"

#include <cstddef>
#include <string_view>

// Listens to what the reader absorbs silently. The game never attaches one; the room
// checker does, to tell authors about their typos with file and line. Every call
// belongs to the line last announced by `lineRead`.
class DefinitionObserver {
  public:
    virtual ~DefinitionObserver() = default;
    // A line has been read and split; `cut` when it was longer than the line limit.
    virtual void lineRead(int /*lineNumber*/, bool /*cut*/) {}
    // The first word of a room line names no registered object type.
    virtual void unknownType(std::string_view /*word*/) {}
    // A key word that the object type does not know.
    virtual void unknownKey(std::string_view /*key*/) {}
    // The line ended before all values of `key` were there.
    virtual void incompleteGroup(std::string_view /*key*/, std::size_t /*present*/, std::size_t /*needed*/) {}
    // The line was read but made no usable object of its type (a lift with no stop to
    // stand at), so the room left it out.
    virtual void objectRejected(std::string_view /*type*/) {}
    // A value word that was not a clean number.
    virtual void badNumber(std::string_view /*word*/, NumberForm /*form*/) {}
};
