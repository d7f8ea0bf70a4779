#pragma once

#include <QPointer>
#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "screens/item_automation.h"

class QLabel;
class QWidget;
class param_t;
class ppc_form_t;

// A rectangle in the form's page: left, top, right, bottom in pixels.
struct ppc_rect_t {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The platform part of every item, as the form drives it. An item's controls exist only while its form is
// shown; each showing creates them again.
class ppc_item_t {
public:
    explicit ppc_item_t(ppc_form_t* form) : form_(form) {}
    virtual ~ppc_item_t() = default;
    ppc_item_t(const ppc_item_t&) = delete;
    ppc_item_t& operator=(const ppc_item_t&) = delete;

    // Creates the controls from rect.top down inside rect.left..rect.right and moves rect.top below them.
    virtual bool create(ppc_rect_t& rect) = 0;
    // Moves the existing controls the same way.
    virtual bool layout(ppc_rect_t& rect) = 0;
    // Checks the value on the screen and stores it into the parameters; on failure may set `message`.
    virtual bool commit(std::u16string& message) = 0;
    // What the item shows and where its keys go, while its controls exist; by default nothing (a picture).
    virtual item_automation_t automation() const { return {}; }

    ppc_form_t* form() const { return form_; }

protected:
    // The form's page, parent of every control; null while the form has none.
    QWidget* page() const;
    bool soft_keys() const;
    // Height of one line of the form's font.
    int line_height() const;
    // Height of a word-wrapped label's text in `width` (its margins are 2 pixels a side); at least one line.
    int label_height(QLabel* label, int width) const;
    // A word-wrapping label on the page with the margins label_height counts on.
    QLabel* new_label(const std::u16string& text) const;
    // Replaces `control` by `fresh`, deleting the old one.
    template <class T>
    static void replace(QPointer<T>& control, T* fresh) {
        delete control.data();
        control = fresh;
    }

private:
    ppc_form_t* form_;
};

// An item with a caption line above its control.
class ppc_captioned_item_t : public ppc_item_t {
public:
    ppc_captioned_item_t(ppc_form_t* form, std::u16string caption) : ppc_item_t(form), caption_(std::move(caption)) {}
    ~ppc_captioned_item_t() override;

    bool create(ppc_rect_t& rect) override;
    bool layout(ppc_rect_t& rect) override;
    bool commit(std::u16string&) override { return true; }

    item_automation_t automation() const override;

    void set_caption_text(const std::u16string& text) { caption_ = text; }
    const std::u16string& caption_text() const { return caption_; }

protected:
    // The caption names `control` for screen readers: its accessible name, and the label that labels it.
    void name_by_caption(QWidget* control) const;

private:
    QPointer<QLabel> caption_control_;
    std::u16string caption_;
};

// An item that stores its values into parameters, grouped by key. "0_" is the key of single-valued items.
class ppc_paramed_item_t : public ppc_captioned_item_t {
public:
    using ppc_captioned_item_t::ppc_captioned_item_t;

    void bind(param_t* param, const std::u16string& key);
    // Offers `value` to every parameter under `key` in order, stopping at the first that refuses it.
    // A key without parameters stores nothing and succeeds.
    bool store(const std::u16string& value, const std::u16string& key);
    void bind_default(param_t* param) { bind(param, default_key); }
    bool store_default(const std::u16string& value) { return store(value, default_key); }

    static constexpr char16_t default_key[] = u"0_";

private:
    // In the order the keys were first bound.
    std::vector<std::pair<std::u16string, std::vector<param_t*>>> params_;
};
