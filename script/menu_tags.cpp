#include "script/menu_tags.h"

#include "script/parent_of.h"
#include "script/select_tags.h"

List_tag_t::List_tag_t(tag_t* parent) {
    accepted = parent_is(parent, {1, 31, 64});
}

ScriptList_tag_t::ScriptList_tag_t(tag_t* parent) : list(parent_of<List_tag_t>(parent, 5)) {
    accepted = parent_is(parent, {5});
}

ScriptFavList_tag_t::ScriptFavList_tag_t(tag_t* parent) : ScriptList_tag_t(parent) {}

ScriptItem_tag_t::ScriptItem_tag_t(tag_t* parent) : list(parent_of<List_tag_t>(parent, 5)) {
    accepted = parent_is(parent, {5});
}

void ScriptItem_tag_t::set_caption(const std::u16string&, tag_t*) {
    // The caption becomes the form's title once script items run their forms.
}

ScriptItemAdd_tag_t::ScriptItemAdd_tag_t(tag_t* parent) : ScriptItem_tag_t(parent) {}

ScriptItem_tag_t* script_item_of(tag_t* parent) {
    if (auto* item = parent_of<ScriptItem_tag_t>(parent, 33)) return item;
    return parent_of<ScriptItem_tag_t>(parent, 32);
}

namespace {

ScriptList_tag_t* script_list_of(tag_t* parent) {
    if (auto* list = parent_of<ScriptList_tag_t>(parent, 31)) return list;
    return parent_of<ScriptList_tag_t>(parent, 64);
}

}  // namespace

Name_tag_t::Name_tag_t(tag_t* parent)
    : script_item(script_item_of(parent)),
      script_list(script_list_of(parent)),
      item(parent_of<Item_tag_t>(parent, 53)) {
    accepted = parent_is(parent, {1, 31, 32, 33, 53, 64});
}

Id_tag_t::Id_tag_t(tag_t* parent) : script_item(script_item_of(parent)), script_list(script_list_of(parent)) {
    accepted = parent_is(parent, {31, 32, 33, 64});
}

EnterAlert_tag_t::EnterAlert_tag_t(tag_t* parent) : script_item(script_item_of(parent)) {
    accepted = parent_is(parent, {31, 32, 33, 64});
}

NoItems_tag_t::NoItems_tag_t(tag_t* parent)
    : add_item(parent_of<ScriptItemAdd_tag_t>(parent, 32)), fav_list(parent_of<ScriptFavList_tag_t>(parent, 64)) {
    accepted = parent_is(parent, {32, 33, 64});
}

Delimeter_tag_t::Delimeter_tag_t(tag_t* parent) : add_item(parent_of<ScriptItemAdd_tag_t>(parent, 32)) {
    accepted = parent_is(parent, {32});
}
