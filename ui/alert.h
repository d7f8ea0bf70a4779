#pragma once

#include "ui/window.h"

// A message box. The kinds: 0 information, 1 error, 2 yes/no question, 3 yes/no question about a step that could
// do harm (a warning, No by default); any other value shows as 0.
class alert_t : public window_t {
public:
    enum kind_t : int { information = 0, error = 1, question = 2, risky_question = 3 };

    // The user's answer after show(): true for OK and Yes, false for No.
    virtual bool answer() = 0;
};
