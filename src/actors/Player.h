#pragma once
#include "definitions/AnimationSet.h"
#include "world/GameObject.h"
#include "world/ObjectRef.h"

#include <cstdint>
#include <vector>

enum PlayerState { Ground = 0, Jump = 1, Fall = 2, RideLift = 3, Search = 4, Dying = 5 };
inline constexpr int PlayerStateCount = 6;

inline constexpr int FacingLeft = 1;
inline constexpr int FacingRight = 2;

// Bits of the keys the player holds.
inline constexpr std::uint32_t KeyLeft = 0x01;
inline constexpr std::uint32_t KeyRight = 0x02;
inline constexpr std::uint32_t KeyUp = 0x04;
inline constexpr std::uint32_t KeyDown = 0x08;
inline constexpr std::uint32_t KeyJump = 0x10;

// The character the user steers: a state machine over fixed steps, moved by Verlet
// integration (y - prevY is the vertical speed), held up by platforms and lifts.
class Player : public GameObject {
  public:
    // Reads "res/textures/player.set".
    Player();

    // Keeps the held-key bits of the arrows and the space bar; other keys are ignored.
    void handleKey(int code, int pressed);
    // Enters state `s` and runs its entry action, unless it is the current state.
    void setState(int s);

    void reset() override;
    void update() override;
    void draw() override;
    void rideFinished() override;

    // The state's name as the code spells it ("Ground" ... "Dying"); "" for no state.
    static const char* stateName(int s);

    float prevX = 30.0f;
    float prevY = 29.0f;
    int state = -1;
    float jumpTime = 0.0f;
    float jumpLength = 0.0f;
    AnimationSet animation;
    std::uint32_t keys = 0;
    std::uint32_t prevKeys = 0;
    int facing = FacingLeft;

  private:
    // Plain function pointers: GCC's UndefinedBehaviorSanitizer misreads calls through
    // pointers to member functions of a class with virtual functions.
    using Action = void (*)(Player&);
    // One row per state, in the order of the enum; a state without a step has a no-op.
    struct StateRow {
        PlayerState state;
        const char* name;
        Action entry;
        Action step;
    };
    static const StateRow states[PlayerStateCount];

    void enterGround();
    void enterJump();
    void enterFall();
    void enterRideLift();
    void enterSearch();
    void enterDying();
    void groundStep();
    void jumpStep();
    void fallStep();
    void searchStep();

    void supportRule(const GameObject& object);
    void playByFacing(const char* left, const char* right);

    // Contact lists keep their storage from step to step.
    std::vector<ObjectRef> contacts;
    std::vector<ObjectRef> fallContacts;
};
