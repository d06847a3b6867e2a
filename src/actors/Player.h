#pragma once
#include "definitions/AnimationSet.h"
#include "definitions/FixedStep.h"
#include "input/KeyCodes.h"
#include "world/GameObject.h"
#include "world/ObjectRef.h"

#include <array>
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

// The keys the player reads, by their bits: everything else passes it by.
struct PlayerKey {
    std::uint32_t bit;
    int code;
};
inline constexpr PlayerKey PlayerKeys[] = {
    {KeyLeft, KeyCodeLeft}, {KeyRight, KeyCodeRight}, {KeyUp, KeyCodeUp},
    {KeyDown, KeyCodeDown}, {KeyJump, KeyCodeSpace},
};

// The player's box: always 2 wide; 3 high when standing, down to 2 at the middle of a jump.
inline constexpr float PlayerWidth = 2.0f;
inline constexpr float PlayerHeight = 3.0f;
// Where the player stands when made and reset, and when a room gives it no entry point at all.
inline constexpr float DefaultStartX = 30.0f;
inline constexpr float DefaultStartY = 29.0f;

// Units per step, on the ground, in a jump and in a fall.
inline constexpr float RunSpeed = 0.15f;
inline constexpr float JumpImpulse = 0.22f;
inline constexpr float LargestFall = 0.2f;
// The feet land on a top up to this far above them.
inline constexpr float LandingTolerance = 0.25f;
// 30 units per second squared, per step squared.
inline constexpr float Gravity = 30.0f * (FixedStep * FixedStep);

inline constexpr const char* PlayerSetFile = "res/textures/player.set";
// The animations the player plays, all from its set file.
namespace PlayerAnimation {
inline constexpr const char* FaceLeft = "FaceLeft";
inline constexpr const char* FaceRight = "FaceRight";
inline constexpr const char* RunLeft = "RunLeft";
inline constexpr const char* RunRight = "RunRight";
inline constexpr const char* JumpLeft = "JumpLeft";
inline constexpr const char* JumpRight = "JumpRight";
inline constexpr const char* FallLeft = "FallLeft";
inline constexpr const char* FallRight = "FallRight";
inline constexpr const char* Search = "Search";
} // namespace PlayerAnimation
inline constexpr std::array<const char*, 9> PlayerAnimations = {
    PlayerAnimation::FaceLeft, PlayerAnimation::FaceRight, PlayerAnimation::RunLeft,
    PlayerAnimation::RunRight, PlayerAnimation::JumpLeft,  PlayerAnimation::JumpRight,
    PlayerAnimation::FallLeft, PlayerAnimation::FallRight, PlayerAnimation::Search};
// One of them plays as the player dies, drawn from the game's random numbers.
inline constexpr std::array<const char*, 3> DeathSounds = {"res/sound/die1.wav", "res/sound/die2.wav",
                                                           "res/sound/die3.wav"};

// The character the user steers: a state machine over fixed steps, moved by Verlet
// integration (y - prevY is the vertical speed), held up by platforms and lifts.
class Player : public GameObject {
  public:
    // Reads PlayerSetFile.
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

    float prevX = DefaultStartX;
    float prevY = DefaultStartY;
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
