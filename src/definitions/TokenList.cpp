#include "definitions/TokenList.h"

#include <cmath>

#include "definitions/Conversions.h"
#include "definitions/DefinitionObserver.h"

const std::string& TokenList::front() const {
    static const std::string none;
    return empty() ? none : words[head];
}

void TokenList::popFront() {
    if (!empty())
        ++head;
}

void TokenList::clear() {
    head = 0;
    tail = 0;
}

void TokenList::append(std::string_view word) {
    if (tail < words.size())
        words[tail].assign(word);
    else
        words.emplace_back(word);
    ++tail;
}

std::string TokenList::takeWord() {
    std::string word = front();
    popFront();
    return word;
}

namespace {

// Rooms are 40 by 30 units; no coordinate, size or speed of a sane file comes near a million.
bool isPlausible(double value) {
    return std::isfinite(value) && std::fabs(value) <= 1e6;
}

} // namespace

std::int32_t TokenList::takeInt() {
    if (empty())
        return 0;
    NumberForm form = NumberForm::Clean;
    const std::int32_t value = readInteger(front(), &form);
    if (observer != nullptr && form != NumberForm::Clean)
        observer->badNumber(front(), form);
    if (observer != nullptr && !isPlausible(static_cast<double>(value)))
        observer->absurdNumber(front(), static_cast<double>(value));
    popFront();
    return value;
}

float TokenList::takeFloat() {
    if (empty())
        return 0.0f;
    NumberForm form = NumberForm::Clean;
    const float value = readFloat(front(), &form);
    if (observer != nullptr && form != NumberForm::Clean)
        observer->badNumber(front(), form);
    if (observer != nullptr && !isPlausible(static_cast<double>(value)))
        observer->absurdNumber(front(), static_cast<double>(value));
    popFront();
    return value;
}

bool TokenList::hasValues(std::string_view key, std::size_t count) {
    if (size() >= count)
        return true;
    if (observer != nullptr)
        observer->incompleteGroup(key, size(), count);
    clear();
    return false;
}

void TokenList::unknownKey(std::string_view key) {
    if (observer != nullptr)
        observer->unknownKey(key);
}
