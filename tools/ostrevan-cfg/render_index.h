#pragma once

// The page that `ostrevan-cfg render` writes beside its pictures: every form in menu order under its item's
// menu path, with the message boxes that came up on the way. Every text of the script is escaped for HTML.

#include <string>
#include <vector>

#include "ui/screen_size.h"

struct picture_t {
    std::u16string title;  // the form's title
    std::u16string file;   // the PNG's name beside the page
    // The commands of the form's "Опции" menu, in order.
    std::vector<std::u16string> commands;
};

// One item opened (or one add form run for a card selection): what came up, in order.
struct road_t {
    std::u16string path;
    std::vector<picture_t> pictures;
    std::vector<std::u16string> messages;
    // Why the road ended early (a script error), or empty.
    std::u16string failure;
};

std::u16string html_escaped(std::u16string_view text);

std::u16string render_index(const std::u16string& script, const std::u16string& platform_type, screen_size_t screen,
                            const std::vector<road_t>& roads);
