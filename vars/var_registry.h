#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/text_error.h"
#include "resources/texts.h"
#include "vars/bool_var.h"
#include "vars/card_list_var.h"
#include "vars/card_var.h"
#include "vars/fav_list_var.h"
#include "vars/string_var.h"
#include "vars/var.h"

class storage_t;

// Variables by name (exact, case-sensitive). The registry owns its variables except those bound into it from
// elsewhere (bind). Entries keep the order in which their names first came in, and save() writes them in
// that order, so that a registry loaded and saved again gives the same bytes.
class var_registry_t {
public:
    struct entry_t {
        std::u16string name;
        var_t* var;
        bool borrowed;
    };

    var_registry_t() = default;
    ~var_registry_t();
    var_registry_t(const var_registry_t&) = delete;
    var_registry_t& operator=(const var_registry_t&) = delete;

    // The variable of any type; an absent name gets a new empty text variable.
    var_t* find(const std::u16string& name);
    // The variable, or null; never creates anything.
    var_t* lookup(const std::u16string& name) const;

    // Typed gets: an absent name gets a new variable of that class with its default value; a name present
    // with another type raises the text error "Не тот тип переменной" and changes nothing.
    bool_var_t* get_bool(const std::u16string& name) { return get<bool_var_t>(name); }
    // As get_bool; a variable made by this call takes `initial`, a stored value wins.
    bool_var_t* get_bool_or(const std::u16string& name, bool initial);
    string_var_t* get_string(const std::u16string& name) { return get<string_var_t>(name); }
    card_var_t* get_card(const std::u16string& name) { return get<card_var_t>(name); }
    // As get_card; a variable made by this call takes a copy of `initial`.
    card_var_t* get_card_or(const std::u16string& name, const card_t& initial);
    card_list_var_t* get_card_list(const std::u16string& name) { return get<card_list_var_t>(name); }
    fav_list_var_t* get_fav_list(const std::u16string& name) { return get<fav_list_var_t>(name); }

    // Puts a variable owned elsewhere under `name`. An owned variable already there is destroyed; a borrowed
    // one is left alone. Binding a variable onto the name it is owned under changes nothing.
    void bind(const std::u16string& name, var_t* var);
    // Puts an owned variable under `name`, replacing (and destroying, unless borrowed) any entry there.
    void put(const std::u16string& name, std::unique_ptr<var_t> var);

    // The count, then for each entry its type code, name and value.
    void save(storage_t& storage) const;
    // Reads what save() wrote, replacing entries of the same names. A type code outside 0..5 stops the load
    // with an mfc_storage_ex_t naming the code and its byte offset; what was read before it stays.
    void load(storage_t& storage);

    const std::vector<entry_t>& entries() const { return entries_; }
    size_t size() const { return entries_.size(); }

private:
    template <class T>
    T* get(const std::u16string& name) {
        if (var_t* v = lookup(name)) {
            if (v->type != T::type_code) throw text_error_t(texts::var_wrong_type);
            return static_cast<T*>(v);
        }
        auto made = std::make_unique<T>();
        T* raw = made.get();
        put(name, std::move(made));
        return raw;
    }
    void replace(const std::u16string& name, var_t* var, bool borrowed);
    // The place of `name` in entries_, or npos.
    size_t position(const std::u16string& name) const;
    static constexpr size_t npos = SIZE_MAX;
    // Past this many entries, names are found through the index.
    static constexpr size_t searched_in_order = 16;

    std::vector<entry_t> entries_;
    // Name to place in entries_, made when the registry grows long: the global registry holds hundreds of
    // variables, a script item's (of which a script has thousands) a few.
    std::unique_ptr<std::unordered_map<std::u16string, size_t>> index_;
};
