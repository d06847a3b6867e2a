#include "platform/system/PageFullScreen.h"

#include <emscripten.h>

bool askPageForFullScreen(bool fullScreen) {
    EM_ASM(
        {
            if (Module.setFullScreen)
                Module.setFullScreen($0 != 0);
        },
        fullScreen);
    return true;
}
