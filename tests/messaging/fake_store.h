#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "messaging/message_store.h"

// An in-memory message store with a switch for every step that can fail.
enum class store_fault {
    none,
    initialize,
    logon,
    store_table,
    set_columns,
    store_row,   // reading the table of stores fails
    open_store,  // the open of the "SMS" store fails
    null_store,  // the open succeeds but gives nothing
    inbox_id,
    inbox_open,
    second_id,
    second_open,
    advise,
    contents,     // the inbox contents table cannot be had
    inbox_row,    // reading row `fail_at` of the inbox fails
    inbox_entry,  // opening entry `fail_at` fails
};

struct fake_message_t {
    std::u16string subject;
    uint32_t flags = 0;
    uint32_t type = object_type_message;
    bool unreadable = false;  // its subject cannot be read
};

class fake_store_t : public mapi_library_t {
public:
    std::vector<store_row_t> stores{{u"ActiveSync", "as"}, {u"SMS", "sms"}};
    store_fault fault = store_fault::none;
    size_t fail_at = 0;

    int initialized = 0;  // initialize minus uninitialize
    int logged_on = 0;    // logons minus logoffs
    int advised = 0;      // sinks registered now
    advise_sink_t* sink = nullptr;

    void add(fake_message_t message) {
        std::lock_guard hold(lock);
        inbox.push_back(std::move(message));
    }
    fake_message_t at(size_t i) {
        std::lock_guard hold(lock);
        return inbox.at(i);
    }
    int32_t notify(std::vector<uint32_t> events) {
        std::vector<notification_t> list;
        for (uint32_t e : events) list.push_back({e});
        return sink->on_notify(list);
    }

    bool initialize() override {
        if (fault == store_fault::initialize) return false;
        ++initialized;
        return true;
    }
    void uninitialize() override { --initialized; }
    std::unique_ptr<mapi_session_t> logon() override;

    std::mutex lock;
    std::vector<fake_message_t> inbox;
};

namespace fake_store_detail {

class message_t : public mapi_message_t {
public:
    message_t(fake_store_t& s, size_t i) : s_(s), i_(i) {}
    uint32_t object_type() override { return s_.at(i_).type; }
    std::optional<std::u16string> subject() override {
        auto m = s_.at(i_);
        if (m.unreadable) return std::nullopt;
        return m.subject;
    }
    std::optional<uint32_t> flags() override { return s_.at(i_).flags; }
    bool set_flags(uint32_t flags) override {
        std::lock_guard hold(s_.lock);
        s_.inbox.at(i_).flags = flags;
        return true;
    }

private:
    fake_store_t& s_;
    size_t i_;
};

class folder_t : public mapi_folder_t {
public:
    explicit folder_t(fake_store_t& s) : s_(s) {}
    std::optional<uint32_t> open_contents() override {
        if (s_.fault == store_fault::contents) return std::nullopt;
        std::lock_guard hold(s_.lock);
        row_ = 0;
        return static_cast<uint32_t>(s_.inbox.size());
    }
    std::optional<entry_id_t> query_row() override {
        if (s_.fault == store_fault::inbox_row && row_ == s_.fail_at) return std::nullopt;
        return std::to_string(row_++);
    }
    std::unique_ptr<mapi_message_t> open_entry(const entry_id_t& id) override {
        size_t i = std::stoul(id);
        if (s_.fault == store_fault::inbox_entry && i == s_.fail_at) return nullptr;
        return std::make_unique<message_t>(s_, i);
    }

private:
    fake_store_t& s_;
    size_t row_ = 0;
};

class store_t : public mapi_store_t {
public:
    explicit store_t(fake_store_t& s) : s_(s) {}
    std::optional<entry_id_t> get_binary(uint32_t property) override {
        if (property == pr_inbox_entry_id && s_.fault != store_fault::inbox_id) return "inbox";
        if (property == pr_second_folder_entry_id && s_.fault != store_fault::second_id) return "second";
        return std::nullopt;
    }
    std::unique_ptr<mapi_folder_t> open_folder(const entry_id_t& id) override {
        if (id == "inbox" && s_.fault == store_fault::inbox_open) return nullptr;
        if (id == "second" && s_.fault == store_fault::second_open) return nullptr;
        return std::make_unique<folder_t>(s_);
    }
    std::optional<uint32_t> advise(uint32_t mask, advise_sink_t* sink) override {
        if (s_.fault == store_fault::advise || mask != event_object_created) return std::nullopt;
        sink->add_ref();
        s_.sink = sink;
        ++s_.advised;
        return 42;
    }
    void unadvise(uint32_t connection) override {
        if (connection != 42 || !s_.sink) return;
        s_.sink->release();
        s_.sink = nullptr;
        --s_.advised;
    }

private:
    fake_store_t& s_;
};

class table_t : public mapi_table_t {
public:
    explicit table_t(fake_store_t& s) : s_(s) {}
    bool set_columns(std::span<const uint32_t> columns) override {
        return s_.fault != store_fault::set_columns && columns.size() == 2 && columns[0] == pr_display_name &&
               columns[1] == pr_entry_id;
    }
    std::optional<store_row_t> query_row() override {
        if (s_.fault == store_fault::store_row || row_ >= s_.stores.size()) return std::nullopt;
        return s_.stores[row_++];
    }

private:
    fake_store_t& s_;
    size_t row_ = 0;
};

class session_t : public mapi_session_t {
public:
    explicit session_t(fake_store_t& s) : s_(s) {}
    std::unique_ptr<mapi_table_t> store_table() override {
        if (s_.fault == store_fault::store_table) return nullptr;
        return std::make_unique<table_t>(s_);
    }
    bool open_store(const entry_id_t& id, std::unique_ptr<mapi_store_t>& store) override {
        if (s_.fault == store_fault::open_store || id != "sms") return false;
        if (s_.fault != store_fault::null_store) store = std::make_unique<store_t>(s_);
        return true;
    }
    void logoff() override { --s_.logged_on; }

private:
    fake_store_t& s_;
};

}  // namespace fake_store_detail

inline std::unique_ptr<mapi_session_t> fake_store_t::logon() {
    if (fault == store_fault::logon) return nullptr;
    ++logged_on;
    return std::make_unique<fake_store_detail::session_t>(*this);
}
