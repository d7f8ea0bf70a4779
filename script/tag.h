#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/attribute_map.h"
#include "script/tag_list.h"
#include "script/tag_text.h"

// The code word of a record carries this bit when an attribute block follows.
inline constexpr int32_t attributes_bit = 0x8000;

// A tag stands at most this many levels below the root (the root's children are level 1), in a file and in
// the compiler's XML alike. Real scripts nest about ten levels; the limit only keeps a damaged or hostile
// file from exhausting the stack.
inline constexpr int max_tag_depth = 256;

class tag_t;

// A tag's code from the tag table (1 to 71, without the attributes bit). The factory sets it as it makes the
// tag, from the row whose class it makes; nothing can write it afterwards, so a tag's code always names its
// class (parent_of's cast rests on that). It reads as the number.
class tag_code_t {
public:
    tag_code_t() = default;
    tag_code_t(const tag_code_t&) = delete;
    tag_code_t& operator=(const tag_code_t&) = delete;
    constexpr operator uint8_t() const noexcept { return value_; }

private:
    friend std::unique_ptr<tag_t> create_tag(int32_t code, tag_t* parent);
    uint8_t value_ = 0;
};

// Base of every node of the script tree. The tree is walked in passes: load, link, show, commit, save.
// Loading and saving go through the context's current storage.
class tag_t {
public:
    tag_t() = default;
    tag_t(const tag_t&) = delete;
    tag_t& operator=(const tag_t&) = delete;
    virtual ~tag_t();

    // Tags come from the pool of the tree store (script/tree_store.h); the virtual destructor passes the whole
    // object's size.
    static void* operator new(size_t bytes);
    static void operator delete(void* p, size_t bytes) noexcept;

    virtual void load();
    virtual void link() {}
    virtual void show() {}
    virtual void commit() {}
    virtual void save();
    virtual bool is_complex() const = 0;
    // The value of the variable `name` for text templates.
    virtual std::u16string resolve(const std::u16string& name);

    // The tag's attribute map; null when it has none. Most tags have none, so the maps are kept in the tree
    // store, and a tag holds only its place there.
    attribute_map_t* attributes() const;
    // The map, made empty when the tag has none.
    attribute_map_t& own_attributes();

    // The members are ordered to keep every tag small (24 bytes besides its own): a script holds hundreds
    // of thousands.

    // The code from the tag table; set by the factory only.
    tag_code_t code;
    // True when the tag may stand under the parent it was made for (tags::accepts). Set by the factory.
    bool accepted = false;
    // Set by resolve each time it resolves a card variable.
    bool whole_text = false;
    // Whether bank options were set on the tag (kept in the tree store; script/factory.h sets them).
    bool has_bank_options : 1 = false;
    // Whether a child search of this (complex) tag has state (kept in the tree store).
    bool has_child_search : 1 = false;

private:
    // The place of the tag's attribute map in the tree store; 0 when it has none.
    uint32_t attributes_place_ = 0;

public:
    // Not owned; none for the root.
    tag_t* parent = nullptr;
};

// A leaf that carries one text.
class tag_simple_t : public tag_t {
public:
    void load() override;
    void save() override;
    bool is_complex() const override { return false; }

    tag_text_t text;
};

// A node with children, kept in load order.
class tag_complex_t : public tag_t {
public:
    ~tag_complex_t() override;
    void load() override;
    void link() override;
    void show() override;
    void commit() override;
    void save() override;
    bool is_complex() const override { return true; }

    // The child search. Its state is shared: a search inside another search on the same tag restarts it.
    // Few tags are ever searched, so the state is kept in the tree store.
    tag_t* first_child_with_code(int32_t wanted);
    tag_t* next_child_with_code();

    // The text of the last leaf child of `code`, as linking the children one after another would leave it;
    // an empty text when there is none. Tags read the texts of their leaves through it instead of keeping
    // copies.
    const tag_text_t& last_child_text(int32_t code) const;

    tag_list_t children;
};
