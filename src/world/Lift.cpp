#include "world/Lift.h"

#include "definitions/FixedStep.h"
#include "definitions/TokenList.h"
#include "graphics/SpriteRenderer.h"
#include "world/NamedTexture.h"
#include "world/RoomKeys.h"

#include <string>

namespace {

// 10 units per second.
constexpr float LiftSpeed = 10.0f * FixedStep;

} // namespace

Lift::Lift() {
    w = 3.0f;
    h = 1.0f;
}

namespace {

Lift& asLift(GameObject& object) {
    return static_cast<Lift&>(object);
}

// Only y moves: the stops' x is read and kept, but the lift stays at its start stop's x.
void readWaypoint(GameObject& object, TokenList& tokens, std::string_view) {
    Lift::Waypoint stop;
    stop.x = static_cast<float>(tokens.takeInt());
    stop.y = static_cast<float>(tokens.takeInt());
    asLift(object).waypoints.push_back(stop);
}

void readStartpoint(GameObject& object, TokenList& tokens, std::string_view) {
    asLift(object).startIndex = tokens.takeInt();
}

void readTexture(GameObject& object, TokenList& tokens, std::string_view key) {
    loadNamedTexture(tokens, key, asLift(object).texture);
}

void readTile(GameObject& object, TokenList& tokens, std::string_view key) {
    loadNamedTexture(tokens, key, asLift(object).tileTexture);
}

const RoomKey LiftKeys[] = {
    {"waypoint",
     KeyValue::Whole,
     2,
     "the game leaves it out of the room",
     {},
     readWaypoint,
     "units x y",
     true},
    {"startpoint", KeyValue::Whole, 1, "", {}, readStartpoint, "stop, from 0", false},
    {"texture", KeyValue::ImageFile, 1, "", {}, readTexture, "", false},
    {"tile", KeyValue::ImageFile, 1, "", {}, readTile, "", false},
};

} // namespace

std::span<const RoomKey> Lift::roomKeys() {
    return LiftKeys;
}

void Lift::load(TokenList& tokens) {
    readRoomKeys(*this, tokens, LiftKeys);
    if (startIndex < 0 || static_cast<std::size_t>(startIndex) >= waypoints.size()) {
        rejected = true;
        return;
    }
    placeAtStart();
    targetIndex = startIndex;
}

void Lift::placeAtStart() {
    const Waypoint& start = waypoints[static_cast<std::size_t>(startIndex)];
    x = start.x;
    y = start.y;
}

void Lift::reset() {
    rider = nullptr;
    targetIndex = startIndex;
    if (!rejected)
        placeAtStart();
    motion = Idle;
}

bool Lift::boardable(const GameObject& user) const {
    // Strictly inside: a player flush with either end stays off.
    return rider == nullptr && x < user.x && user.x + user.w < x + w;
}

bool Lift::interactUp(GameObject* user) {
    if (user == nullptr || !boardable(*user))
        return false;
    if (targetIndex == 0)
        return false;
    targetIndex -= 1;
    rider = user;
    motion = MovingUp;
    return true;
}

bool Lift::interactDown(GameObject* user) {
    if (user == nullptr || !boardable(*user))
        return false;
    if (static_cast<std::size_t>(targetIndex) + 1 >= waypoints.size())
        return false;
    targetIndex += 1;
    rider = user;
    motion = MovingDown;
    return true;
}

void Lift::update() {
    if (rejected)
        return;
    const Waypoint& target = waypoints[static_cast<std::size_t>(targetIndex)];
    if (motion == MovingUp) {
        y -= LiftSpeed;
        if (y < target.y) {
            y = target.y;
            motion = Idle;
        }
    } else if (motion == MovingDown) {
        y += LiftSpeed;
        if (y > target.y) {
            y = target.y;
            motion = Idle;
        }
    }
    if (rider != nullptr)
        rider->y = y - h;
    // The rider stands on the final top edge before it hears that the ride is over.
    if (motion == Idle && rider != nullptr) {
        rider->rideFinished();
        rider = nullptr;
    }
}

void Lift::draw() {
    texture.draw(x, y, w, h, w, h, 0);
    // A band 0.4 high standing on the top edge.
    tileTexture.draw(x, y, w, 1.0f, w, 1.0f, 3);
}

DrawReach Lift::drawReach() {
    if (!theSpriteRenderer)
        return {};
    SpriteRenderer& renderer = *theSpriteRenderer;
    // Only y moves, from stop to stop; x stays where the start put it.
    auto at = [&](float top) {
        return rectUnion(renderer.quadPixels(x, top, w, h, 0), renderer.quadPixels(x, top, w, 1.0f, 3));
    };
    PixelRect box = at(y);
    for (const Waypoint& stop : waypoints)
        box = rectUnion(box, at(stop.y));
    return {DrawReach::Moving, box};
}
