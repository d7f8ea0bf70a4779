#pragma once

#include "ui/screen_size.h"

// What the program knows about the device it runs as, decided once at start.
struct ppc_device_t {
    // Soft-key mode: a keypad phone with two soft keys and a Back key and no touch screen. Otherwise
    // touch-screen mode, with a scroll bar the user drags.
    bool soft_keys = true;
    screen_size_t screen;
};
