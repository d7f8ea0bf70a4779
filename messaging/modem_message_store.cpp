#include "messaging/modem_message_store.h"

#include <vector>

#include "core/u16.h"
#include "messaging/sms_rule.h"
#include "platform/modem/sms_message_store.h"
#include "platform/pdu/sms_reassembler.h"

namespace {

constexpr char inbox_id[] = "inbox";
constexpr char second_folder_id[] = "outbox";

class message_t : public mapi_message_t {
public:
    message_t(sms_message_store_t& store, inbox_message_t message) : store_(store), message_(std::move(message)) {}

    uint32_t object_type() override { return object_type_message; }
    std::optional<std::u16string> subject() override {
        std::u16string text = message_.text;
        if (!message_.complete) break_cut_codes(text, sms_reassembler_t::missing_mark);
        return text;
    }
    std::optional<uint32_t> flags() override { return message_.read ? message_flag_read : 0; }
    bool set_flags(uint32_t flags) override {
        // Only the read flag is kept, and it is never taken back.
        if ((flags & message_flag_read) == 0 || message_.read) return true;
        message_.read = store_.set_read(message_.id);
        return message_.read;
    }

private:
    sms_message_store_t& store_;
    inbox_message_t message_;
};

// The inbox is read as a snapshot taken when its contents are opened.
class folder_t : public mapi_folder_t {
public:
    folder_t(sms_message_store_t& store, bool inbox) : store_(store), inbox_(inbox) {}

    std::optional<uint32_t> open_contents() override {
        rows_ = inbox_ ? store_.messages() : std::vector<inbox_message_t>{};
        next_ = 0;
        return static_cast<uint32_t>(rows_.size());
    }
    std::optional<entry_id_t> query_row() override {
        if (next_ >= rows_.size()) return std::nullopt;
        return rows_[next_++].id;
    }
    std::unique_ptr<mapi_message_t> open_entry(const entry_id_t& id) override {
        for (const auto& row : rows_)
            if (row.id == id) return std::make_unique<message_t>(store_, row);
        return nullptr;
    }

private:
    sms_message_store_t& store_;
    bool inbox_;
    std::vector<inbox_message_t> rows_;
    size_t next_ = 0;
};

class store_t : public mapi_store_t {
public:
    explicit store_t(sms_message_store_t& store) : store_(store) {}
    ~store_t() override {
        while (!sinks_.empty()) unadvise(sinks_.front().first);
    }

    std::optional<entry_id_t> get_binary(uint32_t property) override {
        if (property == pr_inbox_entry_id) return inbox_id;
        if (property == pr_second_folder_entry_id) return second_folder_id;
        return std::nullopt;
    }
    std::unique_ptr<mapi_folder_t> open_folder(const entry_id_t& id) override {
        if (id != inbox_id && id != second_folder_id) return nullptr;
        return std::make_unique<folder_t>(store_, id == inbox_id);
    }
    // The store holds a reference to the sink while it is registered.
    std::optional<uint32_t> advise(uint32_t event_mask, advise_sink_t* sink) override {
        if ((event_mask & event_object_created) == 0 || !sink) return std::nullopt;
        sink->add_ref();
        const auto connection = static_cast<uint32_t>(store_.advise([sink] {
            const notification_t created{event_object_created};
            sink->on_notify({&created, 1});
        }));
        sinks_.emplace_back(connection, sink);
        return connection;
    }
    void unadvise(uint32_t connection) override {
        // Once the store's unadvise returns, the sink is not running and is not called again.
        store_.unadvise(static_cast<int>(connection));
        std::erase_if(sinks_, [connection](const auto& entry) {
            if (entry.first != connection) return false;
            entry.second->release();
            return true;
        });
    }

private:
    sms_message_store_t& store_;
    std::vector<std::pair<uint32_t, advise_sink_t*>> sinks_;
};

class table_t : public mapi_table_t {
public:
    explicit table_t(std::vector<std::u16string> names) : names_(std::move(names)) {}
    bool set_columns(std::span<const uint32_t>) override { return true; }
    std::optional<store_row_t> query_row() override {
        if (next_ >= names_.size()) return std::nullopt;
        const std::u16string& name = names_[next_++];
        return store_row_t{name, to_utf8(name)};
    }

private:
    std::vector<std::u16string> names_;
    size_t next_ = 0;
};

class session_t : public mapi_session_t {
public:
    explicit session_t(sms_message_store_t& store) : store_(store) {}
    std::unique_ptr<mapi_table_t> store_table() override { return std::make_unique<table_t>(store_.store_names()); }
    bool open_store(const entry_id_t& id, std::unique_ptr<mapi_store_t>& store) override {
        if (!store_.open_inbox(from_utf8(id))) return false;
        store = std::make_unique<store_t>(store_);
        return true;
    }
    void logoff() override {}

private:
    sms_message_store_t& store_;
};

}  // namespace

modem_message_store_t::modem_message_store_t(sms_message_store_t& store, std::function<bool()> modem_ready)
    : store_(store), modem_ready_(std::move(modem_ready)) {
    store_.set_intake(bank_intake);
}

sms_intake_t bank_intake(const std::u16string& text) {
    return carries_bank_marker(text) ? sms_intake_t::take : sms_intake_t::leave;
}

std::unique_ptr<mapi_session_t> modem_message_store_t::logon() {
    if (!store_.logon()) return nullptr;
    return std::make_unique<session_t>(store_);
}
