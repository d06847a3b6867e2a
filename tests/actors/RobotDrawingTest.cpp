#include "actors/Robot.h"

#include "world/Room.h"

#include "graphics/GraphicsTestSupport.h"

#include <fstream>
#include <string>

namespace {

// Frames whose images are missing draw as white boxes, which shows where they went.
class RobotDrawing : public HeadlessGraphicsTest {
  protected:
    Robot& loadRobot(const std::string& keys) {
        const std::string body = write("robot.set", "set MoveLeft 1 none.png\nset MoveRight 1 none.png\n");
        const std::string laser = write("laser.set", "set Laser 1 none.png\n");
        registry.registerType("robot", makeObject<Robot>);
        room.loadFile(write("room.txt", "robot texture " + body + " laser " + laser + " " + keys + "\n"));
        return static_cast<Robot&>(*room.objects().at(0));
    }
    std::string write(const std::string& name, const std::string& text) {
        const std::string path = (scratch / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    RgbaImage drawRoom() {
        startFrame();
        room.drawAll(BackgroundColour);
        return backBuffer();
    }

    ObjectRegistry registry;
    Room room{registry};
};

const Rgb White{255, 255, 255};

// A robot at (10, 20): its body covers pixels 160 to 192 across; layer 1 lifts everything
// by 0.2 units, so the body's rows are 289 to 316 and the beam's 289 to 300.
TEST_F(RobotDrawing, BeamIsDrawnInFrontOfTheBodyOnlyWhileFiring) {
    Robot& r = loadRobot("start 10 20 direction 1 patrol laser pause");
    RgbaImage firing = drawRoom();
    EXPECT_EQ(pixelAt(firing, 176, 310), White);
    EXPECT_EQ(pixelAt(firing, 176, 289), White);
    EXPECT_EQ(pixelAt(firing, 176, 288), Background);
    EXPECT_EQ(pixelAt(firing, 216, 295), White);
    EXPECT_EQ(pixelAt(firing, 239, 300), White);
    EXPECT_EQ(pixelAt(firing, 240, 295), Background);
    EXPECT_EQ(pixelAt(firing, 216, 301), Background);
    EXPECT_EQ(pixelAt(firing, 136, 295), Background);

    for (int i = 0; i < 181; ++i)
        r.update();
    ASSERT_EQ(r.behaviour, Robot::Pause);
    RgbaImage paused = drawRoom();
    EXPECT_EQ(pixelAt(paused, 176, 310), White);
    EXPECT_EQ(pixelAt(paused, 216, 295), Background);
}

TEST_F(RobotDrawing, FacingLeftTheBeamIsDrawnOnTheLeft) {
    loadRobot("start 10 20 patrol laser");
    RgbaImage image = drawRoom();
    EXPECT_EQ(pixelAt(image, 112, 295), White);
    EXPECT_EQ(pixelAt(image, 111, 295), Background);
    EXPECT_EQ(pixelAt(image, 216, 295), Background);
}

} // namespace
