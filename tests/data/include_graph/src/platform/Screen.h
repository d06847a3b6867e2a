#pragma once
// A platform header that reaches past system/ for the operating system.
#include "platform/system/PosixPages.h"
#include <unistd.h>
