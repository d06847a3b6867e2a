#pragma once
#include "definitions/Conversions.h"

#include <cstddef>
#include <string_view>

class GameObject;

// Listens to what the reader absorbs silently. The game never attaches one; the room
// checker does, to tell authors about their typos with file and line. Every call
// belongs to the line last announced by `lineRead`.
class DefinitionObserver {
  public:
    virtual ~DefinitionObserver() = default;
    // A line has been read and split; `cut` when it was longer than the line limit.
    virtual void lineRead(int /*lineNumber*/, bool /*cut*/) {}
    // The first word of a line names nothing its reader knows (no registered object type
    // in a room file, not "set" in an animation-set file), so the line is ignored.
    virtual void unknownType(std::string_view /*word*/) {}
    // A key word that the object type does not know.
    virtual void unknownKey(std::string_view /*key*/) {}
    // A key the object type knows has been read with `values` words after it.
    virtual void keyRead(std::string_view /*key*/, std::size_t /*values*/) {}
    // The line ended before all values of `key` were there.
    virtual void incompleteGroup(std::string_view /*key*/, std::size_t /*present*/, std::size_t /*needed*/) {}
    // The line was read but made no usable object of its type (a lift with no stop to
    // stand at), so the room left it out.
    virtual void objectRejected(std::string_view /*type*/) {}
    // A value word that was not a clean number.
    virtual void badNumber(std::string_view /*word*/, NumberForm /*form*/) {}
    // A value that reads as infinite, not a number, or beyond a million either way (whole
    // numbers after wrapping round); the game takes it as read.
    virtual void absurdNumber(std::string_view /*word*/, double /*value*/) {}

    // A room line has been read into `object` of type `type`, before the room keeps it
    // or leaves it out (`object.rejected`).
    virtual void objectRead(std::string_view /*type*/, GameObject& /*object*/) {}
    // A "side" or "speed" value that is none of the key's keywords; it was taken and
    // changed nothing.
    virtual void unknownKeyword(std::string_view /*key*/, std::string_view /*word*/) {}
    // A "patrol" group has been read; `lastWord` is the last behaviour word it took
    // ("" when it took none).
    virtual void patrolRead(std::string_view /*lastWord*/) {}
    // The word that ended a patrol list is no key either, so it was skipped.
    virtual void unknownPatrolWord(std::string_view /*word*/) {}
    // A key names an image or animation-set file, about to be loaded. In a set file the
    // key is "set" and the file one frame of the animation.
    virtual void fileNamed(std::string_view /*key*/, std::string_view /*fileName*/) {}
    // A set line has been read: `frames` images; `alreadyDefined` when an earlier line
    // defined the name, so this one is dropped.
    virtual void animationRead(std::string_view /*name*/, std::size_t /*frames*/, bool /*alreadyDefined*/) {}
};
