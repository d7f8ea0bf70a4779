#pragma once

#include <Qt>

// What a key press stands for on the phone, for every window that has the soft-key bar: the two soft keys are
// F1 and F2 (and Qt's Context1 and Context2), Escape is the Back key, Enter (either of them) the action key.
enum class device_key_t { other, left_soft_key, right_soft_key, back, action };

inline device_key_t device_key(int key) {
    switch (key) {
        case Qt::Key_F1:
        case Qt::Key_Context1:
            return device_key_t::left_soft_key;
        case Qt::Key_F2:
        case Qt::Key_Context2:
            return device_key_t::right_soft_key;
        case Qt::Key_Escape:
            return device_key_t::back;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return device_key_t::action;
        default:
            return device_key_t::other;
    }
}

// The keys the soft keys show as theirs.
inline constexpr Qt::Key left_soft_key_shortcut = Qt::Key_F1;
inline constexpr Qt::Key right_soft_key_shortcut = Qt::Key_F2;
