#include "actors/Robot.h"

#include "actors/Player.h"
#include "actors/StateTable.h"
#include "definitions/AsciiCase.h"
#include "definitions/DefinitionObserver.h"
#include "definitions/FixedStep.h"
#include "definitions/TokenList.h"
#include "sound/Sound.h"
#include "world/RoomKeys.h"
#include "world/World.h"

#include <string>
#include <utility>

namespace {

constexpr float FollowSpeed = 0.1f;
constexpr float PauseSeconds = 2.0f;
constexpr float LaserSeconds = 3.0f;
constexpr float LaserWidth = 3.0f;
constexpr float LaserHeight = 0.75f;
// The beam's bottom edge lies this far above the robot's feet.
constexpr float LaserDrop = 1.0f;
constexpr int DrawingLayer = 1;

// As patrols write them, in the order of the behaviour numbers.
constexpr std::string_view BehaviourWords[Robot::BehaviourCount] = {
    "donothing", "movetopoint1", "movetopoint2", "pause", "turn", "laser", "followplayer",
};

constexpr std::string_view SpeedWords[RobotSpeedCount] = {
    "reallyslow", "slow", "normal", "fast", "ludicrous",
};

// Room authors may write keywords in any case; only A to Z fold, other bytes must match.
bool equalsFolded(std::string_view word, std::string_view lowerKeyword) {
    if (word.size() != lowerKeyword.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (foldedAscii(word[i]) != lowerKeyword[i])
            return false;
    }
    return true;
}

template <std::size_t N> int indexOfFolded(std::string_view word, const std::string_view (&keywords)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (equalsFolded(word, keywords[i]))
            return static_cast<int>(i);
    }
    return -1;
}

// The step of a behaviour that waits for nothing and never moves the patrol on.
void noStep(Robot&) {}

} // namespace

constexpr Robot::StateRow Robot::behaviours[BehaviourCount] = {
    {DoNothing, BehaviourWords[DoNothing].data(), [](Robot& r) { r.enterDoNothing(); }, noStep},
    {MoveToPoint1, BehaviourWords[MoveToPoint1].data(), [](Robot& r) { r.enterMoveToPoint1(); },
     [](Robot& r) { r.moveToPoint1Step(); }},
    {MoveToPoint2, BehaviourWords[MoveToPoint2].data(), [](Robot& r) { r.enterMoveToPoint2(); },
     [](Robot& r) { r.moveToPoint2Step(); }},
    {Pause, BehaviourWords[Pause].data(), [](Robot& r) { r.enterPause(); },
     [](Robot& r) { r.countDownStep(); }},
    {Turn, BehaviourWords[Turn].data(), [](Robot& r) { r.enterTurn(); }, [](Robot& r) { r.turnStep(); }},
    {Laser, BehaviourWords[Laser].data(), [](Robot& r) { r.enterLaser(); },
     [](Robot& r) { r.countDownStep(); }},
    {FollowPlayer, BehaviourWords[FollowPlayer].data(), [](Robot& r) { r.enterFollowPlayer(); },
     [](Robot& r) { r.followPlayerStep(); }},
};

std::string_view Robot::behaviourKeyword(int b) {
    static_assert(coversEveryState(behaviours));
    return b >= 0 && b < BehaviourCount ? behaviours[b].name : "";
}

int robotBehaviourNumber(std::string_view word) {
    for (int b = 0; b < Robot::BehaviourCount; ++b) {
        if (equalsFolded(word, Robot::behaviourKeyword(b)))
            return b;
    }
    return -1;
}

int robotSpeedIndex(std::string_view word) {
    return indexOfFolded(word, SpeedWords);
}

Robot::Robot() {
    w = RobotWidth;
    h = RobotHeight;
    drawLayer = 1;
    // Its beam touches too.
    boxOnly = false;
}

namespace {

Robot& asRobot(GameObject& object) {
    return static_cast<Robot&>(object);
}

void readStart(GameObject& object, TokenList& tokens, std::string_view) {
    asRobot(object).startX = tokens.takeFloat();
    asRobot(object).startY = tokens.takeFloat();
}

void readDirection(GameObject& object, TokenList& tokens, std::string_view) {
    asRobot(object).direction = tokens.takeInt();
}

// "waypoints X1 Y1 X2 Y2": the heights are read (and checked) but unused.
void readWaypoints(GameObject& object, TokenList& tokens, std::string_view) {
    asRobot(object).waypoint1X = tokens.takeInt();
    tokens.takeInt();
    asRobot(object).waypoint2X = tokens.takeInt();
    tokens.takeInt();
}

// The word is used up even when it names no speed.
void readSpeed(GameObject& object, TokenList& tokens, std::string_view key) {
    const std::string word = tokens.takeWord();
    const int index = robotSpeedIndex(word);
    if (index >= 0)
        asRobot(object).speedIndex = index;
    else if (tokens.observer != nullptr)
        tokens.observer->unknownKeyword(key, word);
}

// The first word that is no behaviour ends the list and is read as a key.
void readPatrol(GameObject& object, TokenList& tokens, std::string_view) {
    std::string lastWord;
    while (!tokens.empty()) {
        const int number = robotBehaviourNumber(tokens.front());
        if (number < 0)
            break;
        asRobot(object).patrol.push_back(number);
        lastWord = tokens.takeWord();
    }
    if (tokens.observer != nullptr)
        tokens.observer->patrolRead(lastWord);
}

// The body's set from "texture", the beam's from "laser".
void readSet(GameObject& object, TokenList& tokens, std::string_view key) {
    const std::string fileName = tokens.takeWord();
    if (tokens.observer != nullptr)
        tokens.observer->fileNamed(key, fileName);
    (key == "texture" ? asRobot(object).bodyAnimation : asRobot(object).laserAnimation).load(fileName);
}

// The keys a robot needs (patrol, texture, laser) stand in the order the check reports them missing.
const RoomKey RobotKeys[] = {
    {"start", KeyValue::Decimal, 2, "", {}, readStart, "units x y", false},
    {"direction", KeyValue::Whole, 1, "", {}, readDirection, "0 faces left", false},
    {"waypoints", KeyValue::Whole, 4, "", {}, readWaypoints, "units x1 y1 x2 y2", false},
    {"speed", KeyValue::Keyword, 1, "", SpeedWords, readSpeed, "", false},
    {"patrol", KeyValue::Behaviours, 0, "it stands still", BehaviourWords, readPatrol, "", true},
    {"texture", KeyValue::SetFile, 1, "its body is not drawn", {}, readSet, "", false},
    {"laser", KeyValue::SetFile, 1, "its beam is not drawn", {}, readSet, "", false},
};

} // namespace

std::span<const RoomKey> Robot::roomKeys() {
    return RobotKeys;
}

void Robot::load(TokenList& tokens) {
    readRoomKeys(*this, tokens, RobotKeys);
    x = startX;
    y = startY;
    // The beam runs for the robot's whole life; it is only shown while firing.
    laserAnimation.play(RobotAnimation::Laser);
}

void Robot::reset() {
    patrolPos = 0;
    x = startX;
    y = startY;
    facingRight = direction;
    behaviour = -1;
    // A robot without a patrol stands still.
    setBehaviour(patrol.empty() ? DoNothing : patrol[patrolPos]);
}

void Robot::update() {
    bodyAnimation.advance();
    laserAnimation.advance();
    if (behaviour >= 0 && behaviour < BehaviourCount)
        behaviours[behaviour].step(*this);
}

void Robot::draw() {
    bodyAnimation.draw(x, y, w, h, DrawingLayer);
    if (behaviour == Laser)
        laserAnimation.draw(laserX(), y - LaserDrop, LaserWidth, LaserHeight, DrawingLayer);
}

bool Robot::overlaps(float ox, float oy, float ow, float oh) {
    if (behaviour == Laser) {
        GameObject beam;
        beam.x = laserX();
        beam.y = y - LaserDrop;
        beam.w = LaserWidth;
        beam.h = LaserHeight;
        if (beam.GameObject::overlaps(ox, oy, ow, oh))
            return true;
    }
    return GameObject::overlaps(ox, oy, ow, oh);
}

float Robot::laserX() const {
    return facingRight != 0 ? x + w : x - LaserWidth;
}

void Robot::setBehaviour(int b) {
    if (b == behaviour)
        return;
    behaviour = b;
    if (b >= 0 && b < BehaviourCount)
        behaviours[b].entry(*this);
}

void Robot::nextBehaviour() {
    if (patrol.empty()) {
        setBehaviour(DoNothing);
        return;
    }
    patrolPos = patrolPos + 1;
    if (patrolPos >= patrol.size())
        patrolPos = 0;
    setBehaviour(patrol[patrolPos]);
}

// The player's x as the last step left it: room objects step before the player. With no
// player (a room checked or tested on its own) the player counts as straight ahead, so a
// following robot walks on in its facing direction and never turns.
bool Robot::playerIsRight() const {
    if (world.player == nullptr)
        return facingRight != 0;
    return world.player->x >= x;
}

void Robot::playMove() {
    bodyAnimation.play(facingRight != 0 ? RobotAnimation::MoveRight : RobotAnimation::MoveLeft);
}

void Robot::faceTowards(int waypointX) {
    facingRight = static_cast<float>(waypointX) >= x ? 1 : 0;
}

void Robot::moveTowards(int waypointX, float distance) {
    x += stepSign() * distance;
    const float target = static_cast<float>(waypointX);
    // Stops on the first step that reaches or passes the waypoint, not exactly on it.
    const bool arrived = facingRight != 0 ? x >= target : x <= target;
    if (arrived)
        nextBehaviour();
}

void Robot::enterDoNothing() {
    bodyAnimation.play(RobotAnimation::MoveLeft);
}

void Robot::enterMoveToPoint1() {
    faceTowards(waypoint1X);
    playMove();
}

void Robot::enterMoveToPoint2() {
    faceTowards(waypoint2X);
    playMove();
}

void Robot::enterPause() {
    timer = PauseSeconds;
    playMove();
}

void Robot::enterTurn() {
    bodyAnimation.play(facingRight != 0 ? RobotAnimation::TurnRightToLeft : RobotAnimation::TurnLeftToRight);
}

void Robot::enterLaser() {
    timer = LaserSeconds;
    playMove();
    playSound(LaserSound);
}

void Robot::enterFollowPlayer() {
    facingRight = playerIsRight() ? 1 : 0;
    playMove();
}

void Robot::moveToPoint1Step() {
    moveTowards(waypoint1X, RobotSpeeds[speedIndex]);
}

void Robot::moveToPoint2Step() {
    moveTowards(waypoint2X, RobotSpeeds[speedIndex]);
}

void Robot::countDownStep() {
    timer -= FixedStep;
    if (timer <= 0.0f)
        nextBehaviour();
}

void Robot::turnStep() {
    if (!bodyAnimation.finished)
        return;
    facingRight = facingRight == 0 ? 1 : 0;
    nextBehaviour();
}

void Robot::followPlayerStep() {
    x += stepSign() * FollowSpeed;
    const float low = static_cast<float>(waypoint1X);
    const float high = static_cast<float>(waypoint2X);
    // Lower bound first: with the waypoints the wrong way round the robot ends at the second.
    if (x < low)
        x = low;
    if (x > high)
        x = high;
    if (playerIsRight() != (facingRight != 0))
        setBehaviour(Turn);
}
