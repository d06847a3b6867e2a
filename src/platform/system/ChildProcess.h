#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Another program run beside the game (the room editor's solver), its standard output and
// standard error read as they come without ever waiting for it. The program ends with this
// object: a child is never left behind, and on Linux it ends with the game even when the game
// itself is killed.
class ChildProcess {
  public:
    ChildProcess();
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `program` (a file name, not looked up in PATH) with `arguments`, each passed as one
    // word whatever it holds. False, with the reason, when it cannot start; a running child is
    // stopped first.
    bool start(const std::string& program, const std::vector<std::string>& arguments, std::string& why);

    // Appends what the child wrote since the last call, never blocking. False once all it
    // wrote has been read and its output is closed.
    bool read(std::string& output);

    // The exit status once the child has ended (after a stop, the status the stop left), never
    // blocking; nothing while it runs or when none was started.
    std::optional<int> exitStatus();

    // Whether a child was started and has not yet been seen to end.
    bool running();

    // Ends the child at once and waits until it is gone.
    void stop();

  private:
    struct Handles;
    std::unique_ptr<Handles> handles;
};
