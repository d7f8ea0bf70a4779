#pragma once

#include <functional>
#include <string>
#include <vector>

// Small stand-ins for the script's tags, enough to drive the screens in tests: an action counts its runs,
// a parameter keeps every text it is given and can refuse them, a tag runs a function when shown.

class action_t {
public:
    std::function<void()> body;
    int runs = 0;
};

class param_t {
public:
    std::u16string value;
    std::vector<std::u16string> applied;
    bool refuse = false;
};

class tag_t {
public:
    std::function<void()> body;
    int shows = 0;
};
