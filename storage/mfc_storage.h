#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/atomic_writer.h"
#include "core/file_ops.h"
#include "storage/archive.h"
#include "storage/password.h"
#include "storage/storage.h"
#include "storage/storage_errors.h"

// The storage of "config.cfg" and "settings.cfg": a sequential archive whose head is the text "mfc arhive"
// scrambled with the password, and whose strings are all scrambled with it.
//
// Writing goes through the crash-safe writer (core/atomic_writer.h) and never touches the existing file
// until the whole new content is on disk: a write opening creates a temporary file beside the target, and
// close() (or a change to reading, or open()) flushes it, syncs it, renames it over the target and syncs the
// folder. Any failure before the rename removes the temporary file and leaves the old file byte-identical.
//
// A WRITE LANDS ONLY AT close(). The destructor cannot report a failure, and a write that a throwing save
// left half done must never replace a good file; so the destructor DROPS an unfinished write and the old file
// stays. Every writer (the program's exit, the tools) ends its write with close() and checks the result.
class mfc_storage_t final : public storage_t {
public:
    static constexpr int mode_read = 0;
    static constexpr int mode_write = 1;

    // Opens `path` for reading with empty passwords, checking the header at once. Throws
    // mfc_storage_open_file_ex_t or mfc_storage_wrong_pass_ex_t.
    explicit mfc_storage_t(const std::u16string& path, file_ops_t& ops = posix_file_ops());
    // Opens `path` in `mode` with both passwords set to `password`. Throws as above.
    // A file written gets `permissions` (the settings are private; a compiled script is not).
    mfc_storage_t(const std::u16string& path, int mode, const std::u16string& password,
                  file_ops_t& ops = posix_file_ops(), file_permissions_t permissions = private_file);
    // Closes a reading; drops an unfinished write (the old file stays as it was).
    ~mfc_storage_t();

    mfc_storage_t(const mfc_storage_t&) = delete;
    mfc_storage_t& operator=(const mfc_storage_t&) = delete;

    // Ends what is open (a write is put in place as close() does), then opens `path` in `mode`. On failure
    // keeps the message in last_error and returns false.
    bool open(const std::u16string& path, int mode);
    // Ends what is open. A write is put in place; false (with last_error) when it could not be, in which case
    // the previous file is unchanged, unless the failure came after the rename (the folder sync).
    bool close();
    // Told of each value read in a form the writer does not produce (see stored_form_t), from the next
    // opening for reading on; for the tools that show what a load and save would change.
    void set_form_observer(stored_form_observer_t observer) { observer_ = std::move(observer); }
    // Sets the password of the next write opening; reading keeps its own.
    void set_write_password(const std::u16string& password) {
        write_password_ = password;
        write_key_ = password_key(password);
    }

    storage_t& write_string(std::u16string_view text) override;
    storage_t& write_bool(bool value) override;
    storage_t& write_int(int32_t value) override;
    storage_t& read_string(std::u16string& text) override;
    storage_t& read_string(string_sink_t& sink) override;
    storage_t& read_bool(bool& value) override;
    storage_t& read_int(int32_t& value) override;
    uint64_t offset() const override;
    uint64_t remaining() const override;

    bool is_open() const { return is_open_; }
    int mode() const { return mode_; }
    const std::u16string& path() const { return path_; }

    // Message of the last failed open() or close().
    std::u16string last_error;
    // The same failure without naming the settings file (mfc_storage_ex_t::detail), for the tools.
    std::u16string last_error_detail;

private:
    void open_mode(int mode);  // throws the storage errors
    // Reopens when the mode differs or nothing is open; inline, as every value read or written asks.
    void ensure_mode(int mode) {
        if (!is_open_ || mode_ != mode) reopen(mode);
    }
    void reopen(int mode);
    void finish();        // ends what is open; throws mfc_storage_ex_t when a write failed
    void close_handle();  // closes a reading, drops a write

    file_ops_t& ops_;
    std::u16string path_;
    int mode_ = mode_read;
    bool is_open_ = false;
    file_permissions_t permissions_ = private_file;
    int handle_ = -1;  // of a reading
    std::unique_ptr<atomic_writer_t> file_writer_;
    std::unique_ptr<archive_reader_t> reader_;
    std::unique_ptr<archive_writer_t> writer_;
    stored_form_observer_t observer_;
    std::u16string read_password_;
    uint16_t read_key_ = 0;  // of read_password_
    std::u16string write_password_;
    uint16_t write_key_ = 0;  // of write_password_
};
