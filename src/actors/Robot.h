#pragma once
#include "definitions/AnimationSet.h"
#include "world/GameObject.h"
#include "world/RoomKeys.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

inline constexpr int RobotSpeedCount = 5;

inline constexpr float RobotWidth = 2.0f;
inline constexpr float RobotHeight = 1.75f;
// Heard as a robot starts to fire.
inline constexpr const char* LaserSound = "res/sound/laser.wav";

// The animations a robot plays: the body's from the set of its "texture" key, the beam's from
// the set of its "laser" key.
namespace RobotAnimation {
inline constexpr const char* MoveLeft = "MoveLeft";
inline constexpr const char* MoveRight = "MoveRight";
inline constexpr const char* TurnRightToLeft = "TurnRightToLeft";
inline constexpr const char* TurnLeftToRight = "TurnLeftToRight";
inline constexpr const char* Laser = "Laser";
} // namespace RobotAnimation
inline constexpr std::array<const char*, 4> RobotBodyAnimations = {
    RobotAnimation::MoveLeft, RobotAnimation::MoveRight, RobotAnimation::TurnRightToLeft,
    RobotAnimation::TurnLeftToRight};
inline constexpr std::array<const char*, 1> RobotLaserAnimations = {RobotAnimation::Laser};

// Units per step, by speed index: "reallyslow", "slow", "normal", "fast", "ludicrous".
inline constexpr float RobotSpeeds[RobotSpeedCount] = {0.025f, 0.05f, 0.1f, 0.3f, 0.5f};

// The behaviour number of a patrol keyword (letter case ignored), or -1.
int robotBehaviourNumber(std::string_view word);
// The speed index of a speed keyword (letter case ignored), or -1.
int robotSpeedIndex(std::string_view word);

// A patrolling robot. It walks sideways at a fixed height through a ring of behaviours
// named on its room line: to a waypoint, pause, turn, fire its laser, follow the player.
// It is deadly through its kind: the player dies on touching its body, or its beam while
// it fires.
class Robot : public GameObject {
  public:
    // Behaviour numbers, as the patrol list holds them.
    enum Behaviour {
        DoNothing = 0,
        MoveToPoint1 = 1,
        MoveToPoint2 = 2,
        Pause = 3,
        Turn = 4,
        Laser = 5,
        FollowPlayer = 6,
    };
    static constexpr int BehaviourCount = 7;

    Robot();

    void load(TokenList& tokens) override;
    // The keys of a "robot" line.
    static std::span<const RoomKey> roomKeys();
    void reset() override;
    void update() override;
    void draw() override;
    ObjectKind kind() override { return ObjectKind::Robot; }
    // The beam while firing, then the body.
    bool overlaps(float ox, float oy, float ow, float oh) override;

    // Enters behaviour `b` and runs its entry action, unless it is the current one.
    void setBehaviour(int b);
    // Moves on to the next patrol entry, wrapping from the last to the first.
    void nextBehaviour();

    // Left edge of the beam as it stands now (it is only there while firing).
    float laserX() const;

    float startX = 0.0f;
    float startY = 0.0f;
    // Seconds left of a pause or of the laser.
    float timer = 0.0f;
    // -1 until reset enters the first behaviour.
    int behaviour = -1;
    // Any nonzero value faces right.
    int facingRight = 0;
    int direction = 0;
    // Only the waypoints' x is kept: a robot walks at its start height.
    int waypoint1X = 0;
    int waypoint2X = 0;
    int speedIndex = 2;
    AnimationSet bodyAnimation;
    AnimationSet laserAnimation;
    std::vector<int> patrol;
    std::size_t patrolPos = 0;

    // The keyword of behaviour `b` as room files write it ("donothing" ... "followplayer");
    // "" for none.
    static std::string_view behaviourKeyword(int b);

  private:
    // Plain function pointers rather than pointers to members: GCC 12's bounds sanitizer
    // misreads calls through member pointers of classes with virtual functions.
    using Action = void (*)(Robot&);
    // One row per behaviour, in the order of the enum, named by its keyword; a behaviour
    // without a step has a no-op.
    struct StateRow {
        Behaviour state;
        const char* name;
        Action entry;
        Action step;
    };
    static const StateRow behaviours[BehaviourCount];

    void enterDoNothing();
    void enterMoveToPoint1();
    void enterMoveToPoint2();
    void enterPause();
    void enterTurn();
    void enterLaser();
    void enterFollowPlayer();
    void moveToPoint1Step();
    void moveToPoint2Step();
    // "pause" and "laser" alike: the timer runs down, then the patrol moves on.
    void countDownStep();
    void turnStep();
    void followPlayerStep();

    void faceTowards(int waypointX);
    void moveTowards(int waypointX, float distance);
    void playMove();
    bool playerIsRight() const;
    float stepSign() const { return facingRight != 0 ? 1.0f : -1.0f; }
};
