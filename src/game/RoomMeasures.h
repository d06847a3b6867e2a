#pragma once
#include <cstdint>
#include <string>

class Room;

// How a room looks, in two figures an author can aim at: how much of its picture is left the
// plain background colour, and over how many rows its floors spread.
struct RoomMeasures {
    // Pixels of the picture, and those left exactly BackgroundColour.
    std::uint64_t pixels = 0;
    std::uint64_t backgroundPixels = 0;
    // The highest and the lowest platform top (as its y) the player can stand on inside the
    // room; `rows` is 0 when there is none.
    int highestTop = 0;
    int lowestTop = 0;
    int rows = 0;

    // From 0 to 1.
    double backgroundShare() const;
    // "background 65.8%, platform rows 10-28 (19)"; "platform rows none" without one.
    std::string text() const;
};

// The size the share is measured at: the game's window.
inline constexpr int MeasureWidth = 640;
inline constexpr int MeasureHeight = 480;

// `room` as read: draws it on the drawing device as the game draws a frame, but only the
// passes of platforms, lifts and searchables (no player, robots or beams), and counts. The
// device's frame keeps that picture. Without a device the share is of no pixels; without a
// world's renderer it uses one of its own for the while.
RoomMeasures measureRoom(Room& room);
