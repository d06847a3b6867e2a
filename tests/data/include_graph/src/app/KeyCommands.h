#pragma once
#include "app/FrameLoop.h"
