#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

// The message store as the inbox watch uses it: log on, find the store named "SMS", open its folders,
// walk the inbox, read and set a message's flags, and be told when an object is created in the store.
// The modem's message store implements it; the tests use an in-memory one.

using entry_id_t = std::string;  // opaque bytes

inline constexpr uint32_t pr_display_name = 0x3001001F;
inline constexpr uint32_t pr_entry_id = 0x0FFF0102;
inline constexpr uint32_t pr_subject = 0x0037001F;
inline constexpr uint32_t pr_message_flags = 0x0E070003;
inline constexpr uint32_t pr_inbox_entry_id = 0x81060102;
inline constexpr uint32_t pr_second_folder_entry_id = 0x81040102;
inline constexpr uint32_t message_flag_read = 1;
inline constexpr uint32_t object_type_message = 5;
inline constexpr uint32_t event_object_created = 4;
inline constexpr int32_t result_not_implemented = static_cast<int32_t>(0x80004001);

struct notification_t {
    uint32_t event_type;
};

// The store's callback object. Reference counted: whoever keeps a pointer to it holds a reference.
class advise_sink_t {
public:
    virtual int32_t query_interface() = 0;
    virtual uint32_t add_ref() = 0;
    virtual uint32_t release() = 0;
    virtual int32_t on_notify(std::span<const notification_t> notifications) = 0;

protected:
    virtual ~advise_sink_t() = default;
};

class mapi_message_t {
public:
    virtual ~mapi_message_t() = default;
    virtual uint32_t object_type() = 0;
    virtual std::optional<std::u16string> subject() = 0;  // nothing when the read fails
    virtual std::optional<uint32_t> flags() = 0;
    virtual bool set_flags(uint32_t flags) = 0;
};

class mapi_folder_t {
public:
    virtual ~mapi_folder_t() = default;
    // Opens the contents table and moves to its first row: the row count, or nothing on failure.
    virtual std::optional<uint32_t> open_contents() = 0;
    // The entry id in the next row of the contents table; nothing on failure.
    virtual std::optional<entry_id_t> query_row() = 0;
    virtual std::unique_ptr<mapi_message_t> open_entry(const entry_id_t& id) = 0;  // null on failure
};

class mapi_store_t {
public:
    virtual ~mapi_store_t() = default;
    // A binary property of the store; nothing when it cannot be read or comes back under another tag.
    virtual std::optional<entry_id_t> get_binary(uint32_t property) = 0;
    virtual std::unique_ptr<mapi_folder_t> open_folder(const entry_id_t& id) = 0;  // null on failure
    // Registers the sink for the events of the mask over the whole store: the connection number (non-zero).
    virtual std::optional<uint32_t> advise(uint32_t event_mask, advise_sink_t* sink) = 0;
    // After this returns the sink is not called any more.
    virtual void unadvise(uint32_t connection) = 0;
};

struct store_row_t {
    std::u16string display_name;
    entry_id_t entry_id;
};

class mapi_table_t {
public:
    virtual ~mapi_table_t() = default;
    virtual bool set_columns(std::span<const uint32_t> columns) = 0;
    virtual std::optional<store_row_t> query_row() = 0;  // nothing when the rows run out or reading fails
};

class mapi_session_t {
public:
    virtual ~mapi_session_t() = default;
    virtual std::unique_ptr<mapi_table_t> store_table() = 0;  // null on failure
    // False when the store cannot be opened; true with a null store when the open gave nothing.
    virtual bool open_store(const entry_id_t& id, std::unique_ptr<mapi_store_t>& store) = 0;
    virtual void logoff() = 0;
};

class mapi_library_t {
public:
    virtual ~mapi_library_t() = default;
    virtual bool initialize() = 0;
    virtual std::unique_ptr<mapi_session_t> logon() = 0;  // null on failure
    virtual void uninitialize() = 0;
};
