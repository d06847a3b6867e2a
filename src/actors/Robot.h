#pragma once
#include "world/GameObject.h"

// A patrolling robot: deadly to touch. Its patrol, animations and laser come next.
class Robot : public GameObject {
public:
    Robot();
    int kind() override { return 4; }
};
