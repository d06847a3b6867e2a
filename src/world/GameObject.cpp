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
    // The width of the box that starts further right (ours on a tie) and the height of
    // the box whose bottom is higher up (the other's on a tie): the boxes meet when that
    // box starts no further on than the other one ends.
    const float wr = x >= ox ? w : ow;
    const bool horizontal = std::fabs(x - ox) + wr <= w + ow;
    const float hs = y < oy ? h : oh;
    const bool vertical = std::fabs(y - oy) + hs <= h + oh;
    return horizontal && vertical;
}
