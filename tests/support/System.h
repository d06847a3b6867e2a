#pragma once

// The system the tests run on, for the cases only one system has: device names and alternate
// data streams on Windows; FIFOs, symbolic links and root elsewhere. Such a case is skipped
// elsewhere with its reason, never left out.
#ifdef _WIN32
inline constexpr bool OnWindows = true;
#else
inline constexpr bool OnWindows = false;
#endif
