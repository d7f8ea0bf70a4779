#include "vars/var_registry.h"

#include "storage/record_count.h"
#include "storage/storage.h"
#include "storage/storage_errors.h"

var_registry_t::~var_registry_t() {
    for (entry_t& e : entries_)
        if (!e.borrowed) delete e.var;
}

size_t var_registry_t::position(const std::u16string& name) const {
    if (index_) {
        auto it = index_->find(name);
        return it == index_->end() ? npos : it->second;
    }
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].name == name) return i;
    return npos;
}

var_t* var_registry_t::lookup(const std::u16string& name) const {
    const size_t at = position(name);
    return at == npos ? nullptr : entries_[at].var;
}

var_t* var_registry_t::find(const std::u16string& name) {
    if (var_t* v = lookup(name)) return v;
    auto made = std::make_unique<string_var_t>();
    var_t* raw = made.get();
    put(name, std::move(made));
    return raw;
}

bool_var_t* var_registry_t::get_bool_or(const std::u16string& name, bool initial) {
    var_t* before = lookup(name);
    bool_var_t* v = get_bool(name);
    if (before == nullptr) v->value = initial;
    return v;
}

card_var_t* var_registry_t::get_card_or(const std::u16string& name, const card_t& initial) {
    var_t* before = lookup(name);
    card_var_t* v = get_card(name);
    if (before == nullptr) v->card = initial;
    return v;
}

void var_registry_t::replace(const std::u16string& name, var_t* var, bool borrowed) {
    const size_t at = position(name);
    if (at == npos) {
        entries_.push_back({name, var, borrowed});
        try {
            if (index_) {
                index_->emplace(name, entries_.size() - 1);
            } else if (entries_.size() > searched_in_order) {
                auto index = std::make_unique<std::unordered_map<std::u16string, size_t>>();
                for (size_t i = 0; i < entries_.size(); ++i) index->emplace(entries_[i].name, i);
                index_ = std::move(index);
            }
        } catch (...) {
            // Out of memory: the entry goes again, so that the index and the entries agree.
            entries_.pop_back();
            throw;
        }
        return;
    }
    entry_t& e = entries_[at];
    // A variable bound onto the name it is already owned under stays owned, or nothing would free it.
    if (e.var == var) {
        e.borrowed = e.borrowed && borrowed;
        return;
    }
    if (!e.borrowed) delete e.var;
    e.var = var;
    e.borrowed = borrowed;
}

void var_registry_t::bind(const std::u16string& name, var_t* var) {
    replace(name, var, true);
}

void var_registry_t::put(const std::u16string& name, std::unique_ptr<var_t> var) {
    replace(name, var.get(), false);
    var.release();
}

void var_registry_t::save(storage_t& storage) const {
    storage.write_int(static_cast<int32_t>(entries_.size()));
    for (const entry_t& e : entries_) {
        storage.write_int(e.var->type).write_string(e.name);
        e.var->save(storage);
    }
}

void var_registry_t::load(storage_t& storage) {
    // A record is a type word, a name and a value of at least one byte.
    for (int32_t n = read_count(storage, record_bytes::word + record_bytes::string + 1); n > 0; --n) {
        const uint64_t at = storage.offset();
        int32_t type = 0;
        std::u16string name;
        storage.read_int(type).read_string(name);
        std::unique_ptr<var_t> var = create_var(type);
        if (!var)
            throw damaged_file_error(
                format_text(texts::var_unknown_type, {number_text(type), number_text(static_cast<int64_t>(at))}));
        var->load(storage);
        put(name, std::move(var));
    }
}
