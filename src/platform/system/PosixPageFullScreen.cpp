#include "platform/system/PageFullScreen.h"

bool askPageForFullScreen(bool) {
    return false;
}
