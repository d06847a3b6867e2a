#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class DefinitionObserver;

// The words of one definition-file line, consumed from the front by the line handler.
// Taking from an empty list gives "" / 0 / 0.0f: handlers check `hasValues` first.
class TokenList {
  public:
    bool empty() const { return head == tail; }
    std::size_t size() const { return tail - head; }
    // The first word; "" when the list is empty.
    const std::string& front() const;
    void popFront();
    void clear();
    void append(std::string_view word);

    // Each converts the first word, then removes it.
    std::string takeWord();
    std::int32_t takeInt();
    float takeFloat();

    // The key reading pattern's guard for a key group. True when at least `count` words
    // follow the key. Otherwise the group is incomplete; as it can only stand at the end
    // of the line, the remaining words are dropped, so the caller's loop ends and no
    // value is read from a list that does not hold it.
    bool hasValues(std::string_view key, std::size_t count);
    // Tells the observer (if any) about a key the object type does not know; the key
    // word has been removed already, so the next word is read as a key in its turn.
    void unknownKey(std::string_view key);

    // Set by tools that report what the game absorbs silently; none in the game.
    DefinitionObserver* observer = nullptr;

  private:
    // Words are kept between lines so that their storage is reused.
    std::vector<std::string> words;
    std::size_t head = 0;
    std::size_t tail = 0;
};
