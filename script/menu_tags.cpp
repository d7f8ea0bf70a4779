#include "script/menu_tags.h"

#include "script/parent_of.h"
#include "script/select_tags.h"

List_tag_t::List_tag_t(tag_t* parent) {
    accepted = tags::accepts(tags::List, parent);
}

ScriptList_tag_t::ScriptList_tag_t(tag_t* parent) : list(parent_of<List_tag_t>(parent, tags::List)) {
    accepted = tags::accepts(tags::ScriptList, parent);
}

ScriptFavList_tag_t::ScriptFavList_tag_t(tag_t* parent) : ScriptList_tag_t(parent) {
    accepted = tags::accepts(tags::ScriptFavList, parent);
}

ScriptItem_tag_t::ScriptItem_tag_t(tag_t* parent) : list(parent_of<List_tag_t>(parent, tags::List)) {
    accepted = tags::accepts(tags::ScriptItem, parent);
}

void ScriptItem_tag_t::set_caption(const std::u16string&, tag_t*) {
    // The caption becomes the form's title once script items run their forms.
}

ScriptItemAdd_tag_t::ScriptItemAdd_tag_t(tag_t* parent) : ScriptItem_tag_t(parent) {
    accepted = tags::accepts(tags::ScriptItemAdd, parent);
}

ScriptItem_tag_t* script_item_of(tag_t* parent) {
    if (auto* item = parent_of<ScriptItem_tag_t>(parent, tags::ScriptItem)) return item;
    return parent_of<ScriptItem_tag_t>(parent, tags::ScriptItemAdd);
}

namespace {

ScriptList_tag_t* script_list_of(tag_t* parent) {
    if (auto* list = parent_of<ScriptList_tag_t>(parent, tags::ScriptList)) return list;
    return parent_of<ScriptList_tag_t>(parent, tags::ScriptFavList);
}

}  // namespace

Name_tag_t::Name_tag_t(tag_t* parent)
    : script_item(script_item_of(parent)),
      script_list(script_list_of(parent)),
      item(parent_of<Item_tag_t>(parent, tags::Item)) {
    accepted = tags::accepts(tags::Name, parent);
}

Id_tag_t::Id_tag_t(tag_t* parent) : script_item(script_item_of(parent)), script_list(script_list_of(parent)) {
    accepted = tags::accepts(tags::Id, parent);
}

EnterAlert_tag_t::EnterAlert_tag_t(tag_t* parent) : script_item(script_item_of(parent)) {
    accepted = tags::accepts(tags::EnterAlert, parent);
}

NoItems_tag_t::NoItems_tag_t(tag_t* parent)
    : add_item(parent_of<ScriptItemAdd_tag_t>(parent, tags::ScriptItemAdd)),
      fav_list(parent_of<ScriptFavList_tag_t>(parent, tags::ScriptFavList)) {
    accepted = tags::accepts(tags::NoItems, parent);
}

Delimeter_tag_t::Delimeter_tag_t(tag_t* parent)
    : add_item(parent_of<ScriptItemAdd_tag_t>(parent, tags::ScriptItemAdd)) {
    accepted = tags::accepts(tags::Delimeter, parent);
}
