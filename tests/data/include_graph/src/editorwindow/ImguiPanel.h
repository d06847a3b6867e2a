#pragma once
#include "app/KeyCommands.h"
#include <SDL.h>
#include <imgui.h>
