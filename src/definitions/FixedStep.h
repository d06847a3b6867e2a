#pragma once

// One fixed simulation step: 1/60 second as the nearest 32-bit float. Every per-second rate of
// the animations, the world and the actors becomes a per-step amount through it.
inline constexpr float FixedStep = 0.016666668f;
