#include "script/tag.h"

#include <cstdint>
#include <new>

#include "core/text_error.h"
#include "resources/texts.h"
#include "script/factory.h"
#include "script/script_context.h"
#include "script/tag_errors.h"
#include "script/tree_store.h"
#include "storage/record_count.h"
#include "storage/storage.h"
#include "storage/storage_errors.h"
#include "vars/var_scope.h"

// The load's memory goal rests on these sizes: a script holds hundreds of thousands of tags and texts, each
// in a slot of the tag pool.
static_assert(sizeof(void*) != 8 || sizeof(tag_t) == 24, "a tag's common part is 24 bytes");
static_assert(sizeof(void*) != 8 || sizeof(tag_simple_t) == 32, "a leaf is its common part and a text handle");
static_assert(sizeof(void*) != 8 || sizeof(tag_complex_t) == 40, "a node is its common part and a child list");
static_assert(sizeof(void*) != 8 || sizeof(tag_list_t) == 16, "a child list is a pointer and two 32-bit counts");
static_assert(sizeof(tag_text_t) == sizeof(void*), "a text is one pointer into its slot");
static_assert(tag_pool_t::pooled(sizeof(tag_complex_t)), "tags come from the pool's slots");

namespace {

storage_t& storage() {
    return *script_context.current_storage;
}

// Counts the level below the root of the records being read: the children of the complex record being
// loaded stand at this level.
struct level_guard_t {
    level_guard_t() { ++tree_store().load_level; }
    ~level_guard_t() { --tree_store().load_level; }
};

}  // namespace

tag_t::~tag_t() {
    forget_bank_options(*this);
    if (attributes_place_ != 0) tree_store().free_attribute_map(attributes_place_);
}

attribute_map_t* tag_t::attributes() const {
    return attributes_place_ == 0 ? nullptr : &tree_store().attribute_map(attributes_place_);
}

attribute_map_t& tag_t::own_attributes() {
    if (attributes_place_ == 0) attributes_place_ = tree_store().new_attribute_map();
    return *attributes();
}

void* tag_t::operator new(size_t bytes) {
    return tree_store().pool.allocate(bytes);
}

void tag_t::operator delete(void* p, size_t bytes) noexcept {
    tree_store().pool.release(p, bytes);
}

void tag_t::load() {
    if (attributes_place_ == 0) return;
    attribute_map_t* attributes = this->attributes();
    // Buffers that keep their room from attribute to attribute and tag to tag; the map copies the texts.
    std::u16string& key = tree_store().key_buffer;
    std::u16string& value = tree_store().value_buffer;
    const int32_t count = read_count(storage(), 2 * record_bytes::string);
    for (int32_t i = 0; i < count; ++i) {
        const uint64_t at = storage().offset();
        storage().read_string(key).read_string(value);
        if (script_context.on_repeated_attribute && attributes->contains(key)) script_context.on_repeated_attribute(at);
        attributes->set(key, value);
    }
    // A long text read once is not kept for the life of the tree.
    if (key.capacity() > 4096) key = std::u16string();
    if (value.capacity() > 4096) value = std::u16string();
}

void tag_t::save() {
    const attribute_map_t* attributes = this->attributes();
    if (!attributes) {
        storage().write_int(code);
        return;
    }
    storage().write_int(code | attributes_bit).write_int(int32_t(attributes->size()));
    for (const auto& [key, value] : *attributes) storage().write_string(key).write_string(value);
}

std::u16string tag_t::resolve(const std::u16string& var_name) {
    if (const string_var_t* text = lookup_string(var_name)) return text->value;
    if (const card_var_t* card = lookup_card(var_name)) {
        // A fixed choice of a selection stands for the whole request text.
        whole_text = card->card.script_entry;
        return card->card.display();
    }
    return {};
}

namespace {

// A string read straight into a tag's text.
class text_room_t : public string_sink_t {
public:
    explicit text_room_t(tag_text_t& text) : text_(text) {}
    char16_t* room(size_t units) override { return text_.make_room(units); }

private:
    tag_text_t& text_;
};

}  // namespace

void tag_simple_t::load() {
    tag_t::load();
    text_room_t room(text);
    storage().read_string(room);
}

void tag_simple_t::save() {
    tag_t::save();
    storage().write_string(text);
}

void tag_complex_t::load() {
    tag_t::load();
    level_guard_t level;
    // A child record is at least its code word.
    const int32_t count = read_count(storage(), record_bytes::word);
    children.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        if (tree_store().load_level > max_tag_depth) {
            throw damaged_file_error(format_text(
                texts::tags_too_deep, {number_text(max_tag_depth), number_text(int64_t(storage().offset()))}));
        }
        int32_t word = 0;
        storage().read_int(word);
        // Where the record starts, for the errors below; asked only on the way to one.
        const auto at = [] { return storage().offset() - record_bytes::word; };
        // A root inside the tree would take over the global variables; no file holds one.
        const bool nested_root = (word & ~attributes_bit) == 1;
        std::unique_ptr<tag_t> child;
        try {
            if (!nested_root) child = create_child(word, this);
        } catch (const text_error_t& e) {
            if (e.text() != texts::image_misplaced) throw;
            throw image_misplaced_ex_t(code, at());
        }
        if (!child) {
            // The record's body cannot be read without its class, so the file cannot be read on.
            throw damaged_file_error(
                format_text(texts::tag_not_accepted,
                            {tag_name(word & ~attributes_bit), tag_name(code), number_text(int64_t(at()))}));
        }
        child->load();
        children.push_back(std::move(child));
    }
}

void tag_complex_t::link() {
    for (auto& child : children) child->link();
}

void tag_complex_t::show() {
    for (auto& child : children) child->show();
}

void tag_complex_t::commit() {
    for (auto& child : children) child->commit();
}

void tag_complex_t::save() {
    tag_t::save();
    storage().write_int(int32_t(children.size()));
    for (auto& child : children) child->save();
}

const tag_text_t& tag_complex_t::last_child_text(int32_t wanted) const {
    for (size_t i = children.size(); i-- > 0;) {
        const tag_t& child = *children[i];
        if (child.code == wanted && !child.is_complex()) return static_cast<const tag_simple_t&>(child).text;
    }
    static const tag_text_t none;
    return none;
}

tag_complex_t::~tag_complex_t() {
    if (has_child_search) tree_store().child_searches.erase(this);
}

tag_t* tag_complex_t::first_child_with_code(int32_t wanted) {
    tree_store().child_searches[this] = {wanted, 0};
    has_child_search = true;
    return next_child_with_code();
}

tag_t* tag_complex_t::next_child_with_code() {
    if (!has_child_search) return nullptr;
    tree_store_t::child_search_t& search = tree_store().child_searches[this];
    if (search.pos == tree_store_t::child_search_t::npos) return nullptr;
    for (size_t i = search.pos; i < children.size(); ++i) {
        if (children[i]->code == search.code) {
            search.pos = i + 1;
            return children[i].get();
        }
    }
    search.pos = tree_store_t::child_search_t::npos;
    return nullptr;
}
