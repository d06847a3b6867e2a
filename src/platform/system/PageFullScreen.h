#pragma once

// In a browser the page asks for full screen itself, while the key that asked for it still
// counts as the player's gesture; the canvas keeps its size and the page scales it. True when
// the page took the request; on a desktop false, and the window goes full screen itself.
bool askPageForFullScreen(bool fullScreen);
