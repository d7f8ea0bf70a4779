// Persistent forms of the six variable classes and the factory that makes them from their codes.
#include <algorithm>
#include <stdexcept>

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
    int32_t n = read_count(storage, 3 * record_bytes::string);
    cards.reserve(cards.size() + size_t(n));
    for (; n > 0; --n) {
        card_t card;
        storage.read_string(card.id0).read_string(card.id1).read_string(card.id2);
        cards.push_back(std::move(card));
    }
}

void card_list_var_t::save(storage_t& storage) const {
    storage.write_int(count());
    for (const card_t& card : cards) storage.write_string(card.id0).write_string(card.id1).write_string(card.id2);
}

card_t card_list_var_t::card_at(int i) const {
    card_t card = cards.at(static_cast<size_t>(i));
    card.template_text = template_text;
    card.add_new = false;
    card.script_entry = false;
    return card;
}

int card_list_var_t::find_display(std::u16string_view text) const {
    for (int i = 0; i < count(); ++i)
        if (display_at(i) == text) return i;
    return -1;
}

void card_list_var_t::remove_at(int i) {
    if (i < 0 || i >= count()) throw std::out_of_range("card_list_var_t::remove_at");
    cards.erase(cards.begin() + i);
}

void card_list_var_t::insert_at(const card_t& card, int i) {
    cards.insert(cards.begin() + std::clamp(i, 0, count()), card);
}

void fav_var_t::load(storage_t& storage) {
    storage.read_string(id).read_string(name);
    item = nullptr;
}
void fav_var_t::save(storage_t& storage) const {
    storage.write_string(id).write_string(name);
}

void fav_list_var_t::load(storage_t& storage) {
    int32_t n = read_count(storage, 2 * record_bytes::string);
    favourites.reserve(favourites.size() + size_t(n));
    for (; n > 0; --n) {
        fav_t fav;
        storage.read_string(fav.id).read_string(fav.name);
        favourites.push_back(std::move(fav));
    }
}

void fav_list_var_t::save(storage_t& storage) const {
    storage.write_int(count());
    for (const fav_t& fav : favourites) storage.write_string(fav.id).write_string(fav.name);
}

void fav_list_var_t::remove_at(int i) {
    if (i < 0 || i >= count()) throw std::out_of_range("fav_list_var_t::remove_at");
    favourites.erase(favourites.begin() + i);
}
