#include "actors/Robot.h"

Robot::Robot() {
    w = 2.0f;
    h = 1.75f;
    drawLayer = 1;
}
