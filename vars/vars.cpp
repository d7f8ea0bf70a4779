// Persistent forms of the six variable classes and the factory that makes them from their codes.
#include <algorithm>

#include "resources/texts.h"
#include "storage/record_count.h"
#include "storage/storage.h"
#include "storage/storage_errors.h"
#include "vars/bool_var.h"
#include "vars/card_list_var.h"
#include "vars/card_var.h"
#include "vars/fav_list_var.h"
#include "vars/fav_var.h"
#include "vars/string_var.h"

std::unique_ptr<var_t> create_var(int32_t type_code) {
    switch (type_code) {
        case bool_var_t::type_code:
            return std::make_unique<bool_var_t>();
        case card_list_var_t::type_code:
            return std::make_unique<card_list_var_t>();
        case card_var_t::type_code:
            return std::make_unique<card_var_t>();
        case fav_list_var_t::type_code:
            return std::make_unique<fav_list_var_t>();
        case fav_var_t::type_code:
            return std::make_unique<fav_var_t>();
        case string_var_t::type_code:
            return std::make_unique<string_var_t>();
        default:
            return nullptr;
    }
}

void bool_var_t::load(storage_t& storage) {
    storage.read_bool(value);
}
void bool_var_t::save(storage_t& storage) const {
    storage.write_bool(value);
}

void string_var_t::load(storage_t& storage) {
    storage.read_string(value);
}
void string_var_t::save(storage_t& storage) const {
    storage.write_string(value);
}

void card_var_t::load(storage_t& storage) {
    storage.read_string(card.id0).read_string(card.id1).read_string(card.id2);
}
void card_var_t::save(storage_t& storage) const {
    storage.write_string(card.id0).write_string(card.id1).write_string(card.id2);
}

void card_list_var_t::load(storage_t& storage) {
    cards_.load_rows(storage, read_count(storage, 3 * record_bytes::string));
}

void card_list_var_t::save(storage_t& storage) const {
    storage.write_int(count());
    cards_.save_rows(storage);
}

card_t card_list_var_t::card_at(int i) const {
    card_t card;
    card.id0 = cards_.text(i, 0);
    card.id1 = cards_.text(i, 1);
    card.id2 = cards_.text(i, 2);
    // A list no add form gave a template keeps the card's own: an empty one would show every card blank, and
    // the user could not tell which card the request goes from.
    if (!template_text.empty()) card.template_text = template_text;
    return card;
}

bool card_list_var_t::same_card(int i, const card_t& card) const {
    return cards_.text(i, 0) == card.id0 && cards_.text(i, 1) == card.id1 && cards_.text(i, 2) == card.id2;
}

int card_list_var_t::find_display(std::u16string_view text) const {
    for (int i = 0; i < count(); ++i)
        if (display_at(i) == text) return i;
    return -1;
}

void card_list_var_t::remove_at(int i) {
    cards_.remove_row(i);
}

void card_list_var_t::insert_at(const card_t& card, int i) {
    cards_.insert_row(std::clamp(i, 0, count()), {card.id0, card.id1, card.id2});
}

void fav_var_t::load(storage_t& storage) {
    storage.read_string(id).read_string(name);
    item = nullptr;
}
void fav_var_t::save(storage_t& storage) const {
    storage.write_string(id).write_string(name);
}

void fav_list_var_t::load(storage_t& storage) {
    favs_.load_rows(storage, read_count(storage, 2 * record_bytes::string));
}

void fav_list_var_t::save(storage_t& storage) const {
    storage.write_int(count());
    favs_.save_rows(storage);
}

fav_t fav_list_var_t::fav_at(int i) const {
    fav_t fav;
    fav.id = favs_.text(i, 0);
    fav.name = favs_.text(i, 1);
    if (size_t(i) < items_.size()) fav.item = items_[size_t(i)];
    return fav;
}

int fav_list_var_t::find_id(std::u16string_view id) const {
    for (int i = 0; i < count(); ++i)
        if (favs_.text(i, 0) == id) return i;
    return -1;
}

void fav_list_var_t::remove_at(int i) {
    favs_.remove_row(i);
    if (size_t(i) < items_.size()) items_.erase(items_.begin() + i);
}

void fav_list_var_t::append(const fav_t& fav) {
    favs_.append_row({fav.id, fav.name});
    if (fav.item) {
        items_.resize(size_t(count()) - 1, nullptr);
        items_.push_back(fav.item);
    }
}
