#pragma once

#include <functional>
#include <string>

class MenuApplet_tag_t;

// The main menu of a loaded script as the program builds it: the root linked and shown on a display whose
// lists write their entries out instead of filling a menu. A sub-menu's entry ends in "/" and its entries
// follow one level deeper; a favourites sub-menu lists the favourites whose script item is there. `line`
// receives each entry with its level (1 for the main menu).
void build_menu_outline(MenuApplet_tag_t& root, const std::function<void(int level, const std::u16string&)>& line);
