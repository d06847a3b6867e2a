#include "actors/Player.h"

#include "actors/Random.h"
#include "actors/StateTable.h"
#include "definitions/FixedStep.h"
#include "graphics/SpriteRenderer.h"
#include "sound/Sound.h"
#include "world/Room.h"

#include <cmath>

RandomGenerator gameRandom;

namespace {

// The step of a state that does nothing by itself while it lasts.
void noStep(Player&) {}

} // namespace

constexpr Player::StateRow Player::states[PlayerStateCount] = {
    {Ground, "Ground", [](Player& p) { p.enterGround(); }, [](Player& p) { p.groundStep(); }},
    {Jump, "Jump", [](Player& p) { p.enterJump(); }, [](Player& p) { p.jumpStep(); }},
    {Fall, "Fall", [](Player& p) { p.enterFall(); }, [](Player& p) { p.fallStep(); }},
    {RideLift, "RideLift", [](Player& p) { p.enterRideLift(); }, noStep},
    {Search, "Search", [](Player& p) { p.enterSearch(); }, [](Player& p) { p.searchStep(); }},
    {Dying, "Dying", [](Player& p) { p.enterDying(); }, noStep},
};

Player::Player() {
    x = DefaultStartX;
    y = DefaultStartY;
    w = PlayerWidth;
    h = PlayerHeight;
    drawLayer = 1;
    animation.load(PlayerSetFile);
}

void Player::handleKey(int code, int pressed) {
    for (const PlayerKey& key : PlayerKeys) {
        if (key.code != code)
            continue;
        if (pressed != 0)
            keys |= key.bit;
        else
            keys &= ~key.bit;
        return;
    }
}

void Player::setState(int s) {
    static_assert(coversEveryState(states));
    if (s == state)
        return;
    state = s;
    if (s >= 0 && s < PlayerStateCount)
        states[s].entry(*this);
}

const char* Player::stateName(int s) {
    return s >= 0 && s < PlayerStateCount ? states[s].name : "";
}

void Player::playByFacing(const char* left, const char* right) {
    animation.play(facing == FacingLeft ? left : right);
}

void Player::enterGround() {
    if (facing == FacingLeft)
        animation.play((keys & KeyLeft) != 0 ? PlayerAnimation::RunLeft : PlayerAnimation::FaceLeft);
    else
        animation.play((keys & KeyRight) != 0 ? PlayerAnimation::RunRight : PlayerAnimation::FaceRight);
}

void Player::enterJump() {
    const char* name = facing == FacingLeft ? PlayerAnimation::JumpLeft : PlayerAnimation::JumpRight;
    animation.play(name);
    jumpLength = static_cast<float>(animation.length(name));
    jumpTime = jumpLength;
}

void Player::enterFall() {
    h = PlayerHeight;
    playByFacing(PlayerAnimation::FallLeft, PlayerAnimation::FallRight);
}

void Player::enterRideLift() {
    playByFacing(PlayerAnimation::FaceLeft, PlayerAnimation::FaceRight);
}

void Player::enterSearch() {
    animation.play(PlayerAnimation::Search);
}

void Player::enterDying() {
    stopAllSounds();
    const int r = gameRandom.next();
    const int i = static_cast<int>(static_cast<float>(r) * 9.155553e-05f);
    if (i == 0)
        playSound(DeathSounds[0]);
    else if (i == 1)
        playSound(DeathSounds[1]);
    else
        playSound(DeathSounds[2]);
}

void Player::groundStep() {
    if ((keys & KeyLeft) != 0) {
        x -= RunSpeed;
        if (facing != FacingLeft || (prevKeys & KeyLeft) == 0) {
            facing = FacingLeft;
            animation.play(PlayerAnimation::RunLeft);
        }
    }
    if ((keys & KeyRight) != 0) {
        x += RunSpeed;
        if (facing != FacingRight || (prevKeys & KeyRight) == 0) {
            facing = FacingRight;
            animation.play(PlayerAnimation::RunRight);
        }
    }
    // Restarted every step while nothing is held: the standing pose holds its first frame.
    if (keys == 0)
        playByFacing(PlayerAnimation::FaceLeft, PlayerAnimation::FaceRight);
    if ((keys & KeyJump) != 0) {
        // Cleared here and set again only by a new press: holding the bar jumps once.
        keys &= ~KeyJump;
        prevY += JumpImpulse;
        setState(Jump);
    }
}

void Player::jumpStep() {
    jumpTime -= FixedStep;
    if (facing == FacingLeft)
        x -= RunSpeed;
    else
        x += RunSpeed;
    // The box crouches to 2 high at mid-jump and stands up again. A jump animation that
    // lasts no time at all would divide by zero and leave a box that can never land or
    // die: the player then keeps its full height.
    if (jumpLength != 0.0f)
        h = 2.0f + std::fabs(2.0f * jumpTime / jumpLength - 1.0f);
    else
        h = PlayerHeight;
    if (animation.finished)
        setState(Fall);
}

void Player::fallStep() {
    if (facing == FacingLeft)
        x -= RunSpeed;
    else
        x += RunSpeed;
    if (room == nullptr)
        return;
    room->collectOverlapping(x, y, w, h, fallContacts);
    for (const ObjectRef& object : fallContacts) {
        const ObjectKind k = object->kind();
        if (k != ObjectKind::Platform && k != ObjectKind::Lift)
            continue;
        const float top = object->y - object->h;
        if (top + LandingTolerance > y) {
            playByFacing(PlayerAnimation::RunLeft, PlayerAnimation::RunRight);
            setState(Ground);
        }
    }
    fallContacts.clear();
}

void Player::searchStep() {
    if ((keys & KeyUp) == 0)
        setState(Ground);
}

void Player::supportRule(const GameObject& object) {
    const float top = object.y - object.h;
    if (top + LandingTolerance > y) {
        y = top;
    } else if (y - h < object.y && y >= object.y && prevY > y) {
        // Moving up into the object from below: the head stops at its underside.
        y = object.y + h;
    } else {
        x = prevX;
    }
}

void Player::update() {
    if (state != Dying)
        animation.advance();
    prevX = x;
    if (state >= 0 && state < PlayerStateCount)
        states[state].step(*this);

    const float old = y;
    y = 2.0f * y - prevY + Gravity;
    prevY = old;
    if (y - old > LargestFall)
        y = old + LargestFall;

    if (y > h + RoomHeight)
        setState(Dying);

    if (room != nullptr)
        room->collectOverlapping(x, y, w, h, contacts);
    for (const ObjectRef& ref : contacts) {
        GameObject& object = *ref;
        switch (object.kind()) {
        case ObjectKind::Robot:
            setState(Dying);
            break;
        case ObjectKind::Searchable:
            if (((keys & KeyUp) != 0 && state == Ground) || state == Search)
                setState(object.interactUp(this) ? Search : Ground);
            break;
        case ObjectKind::Lift:
            if ((keys & (KeyLeft | KeyRight)) == 0) {
                // Up is offered first; Down only when Up is not held or the lift refuses it.
                if ((keys & KeyUp) != 0 && object.interactUp(this))
                    setState(RideLift); // NOLINT(bugprone-branch-clone)
                else if ((keys & KeyDown) != 0 && object.interactDown(this))
                    setState(RideLift);
            }
            supportRule(object);
            break;
        case ObjectKind::Platform:
            supportRule(object);
            break;
        default:
            break;
        }
    }

    if (prevY < y && state == Ground)
        setState(Fall);
    prevKeys = keys;
    contacts.clear();
}

void Player::reset() {
    if (room != nullptr) {
        room->resetAll();
        // A contact query can find every object of the room and no more: with room for all
        // of them the lists never grow again while this room is played.
        contacts.reserve(room->objects().size());
        fallContacts.reserve(room->objects().size());
    }
    animation.play(PlayerAnimation::FaceLeft);
    x = prevX = DefaultStartX;
    facing = FacingLeft;
    y = prevY = DefaultStartY;
    keys = prevKeys = 0;
    h = PlayerHeight;
    state = -1;
    setState(Ground);
}

void Player::draw() {
    animation.draw(x, y, w, h, 1);
}

void Player::rideFinished() {
    if (state == RideLift) {
        setState(Ground);
        // The lift's speed is not carried over.
        prevY = y;
    }
}
