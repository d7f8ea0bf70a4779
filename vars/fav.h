#pragma once

#include <string>

class ScriptItem_tag_t;

// A favourite: a script item the user marked. `item` is valid only in the run that added it; after loading
// it is null and the item is found again by `id`.
struct fav_t {
    std::u16string id;
    std::u16string name;
    ScriptItem_tag_t* item = nullptr;
};
