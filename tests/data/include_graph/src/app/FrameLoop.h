#pragma once
#include "app/KeyCommands.h"
