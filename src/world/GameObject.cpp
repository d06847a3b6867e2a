#include "world/GameObject.h"

#include <cmath>

void GameObject::load(TokenList& /*tokens*/) {}
void GameObject::reset() {}
void GameObject::update() {}
void GameObject::draw() {}

DrawReach GameObject::drawReach() {
    return {};
}
bool GameObject::interactUp(GameObject* /*user*/) {
    return false;
}
bool GameObject::interactDown(GameObject* /*user*/) {
    return false;
}
ObjectKind GameObject::kind() {
    return ObjectKind::None;
}
void GameObject::rideFinished() {}

bool GameObject::overlaps(float ox, float oy, float ow, float oh) {
    return boxOverlaps(ox, oy, ow, oh);
}
