#pragma once

class QWidget;

// Every pop-up of the program (menus, sub-menus, the lists of drop-downs, an edit box's context menu) opens
// inside the phone's screen: the window it belongs to, which is the whole screen. The window system only
// keeps pop-ups inside the monitor, which is larger than the phone. A menu also opens with its first
// available entry current, so that Enter chooses at once. Installed once for the whole program; every
// window of the program calls it when it is made.
void keep_popups_on_screen();

// Moves and, where it is larger, shrinks the pop-up `popup` into the window it belongs to.
void place_popup_on_screen(QWidget* popup);
