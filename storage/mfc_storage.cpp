#include "storage/mfc_storage.h"

#include "core/u16.h"
#include "resources/texts.h"
#include "storage/password.h"

namespace {

constexpr char16_t header_text[] = u"mfc arhive";

}  // namespace

mfc_storage_t::mfc_storage_t(const std::u16string& path, file_ops_t& ops) : ops_(ops), path_(path) {
    open_mode(mode_read);
}

mfc_storage_t::mfc_storage_t(const std::u16string& path, int mode, const std::u16string& password, file_ops_t& ops,
                             file_permissions_t permissions)
    : ops_(ops),
      path_(path),
      permissions_(permissions),
      read_password_(password),
      write_password_(password),
      write_key_(password_key(password)) {
    open_mode(mode);
}

mfc_storage_t::~mfc_storage_t() {
    close_handle();  // an unfinished write is dropped: see the class comment
}

void mfc_storage_t::close_handle() {
    if (handle_ >= 0) ops_.close(handle_);
    handle_ = -1;
    reader_.reset();
    writer_.reset();
    file_writer_.reset();  // abandons a write that was not committed
    is_open_ = false;
}

void mfc_storage_t::finish() {
    if (!writer_) {
        close_handle();
        return;
    }
    const bool flushed = writer_->flush();
    const auto outcome = flushed ? file_writer_->commit() : atomic_writer_t::outcome_t::failed;
    close_handle();
    if (outcome == atomic_writer_t::outcome_t::failed)
        throw mfc_storage_ex_t(texts::storage_save_failed, texts::storage_save_failed_detail);
    if (outcome == atomic_writer_t::outcome_t::unconfirmed)
        throw mfc_storage_ex_t(texts::storage_save_unconfirmed, texts::storage_save_unconfirmed_detail);
}

bool mfc_storage_t::close() {
    try {
        finish();
        return true;
    } catch (const mfc_storage_ex_t& e) {
        last_error = e.text();
        last_error_detail = e.detail();
        return false;
    }
}

bool mfc_storage_t::open(const std::u16string& path, int mode) {
    try {
        finish();
        path_ = path;
        open_mode(mode);
        return true;
    } catch (const mfc_storage_ex_t& e) {
        path_ = path;
        last_error = e.text();
        last_error_detail = e.detail();
        return false;
    }
}

void mfc_storage_t::open_mode(int mode) {
    mode_ = mode == mode_write ? mode_write : mode_read;
    const std::string path = to_utf8(path_);
    if (mode_ == mode_write) {
        file_writer_ = std::make_unique<atomic_writer_t>(ops_, path, permissions_);
        if (!file_writer_->created()) {
            file_writer_.reset();
            throw mfc_storage_open_file_ex_t(texts::storage_cannot_open_write, texts::storage_cannot_open_write_detail);
        }
        writer_ = std::make_unique<archive_writer_t>(*file_writer_);
        writer_->write_string(scramble(header_text, write_password_));  // fits the empty buffer
        is_open_ = true;
        return;
    }
    handle_ = ops_.open_read(path);
    if (handle_ < 0)
        throw mfc_storage_open_file_ex_t(texts::storage_cannot_open_read, texts::storage_cannot_open_read_detail);
    uint64_t size = 0;
    if (!ops_.size(handle_, size)) {
        close_handle();
        throw mfc_storage_open_file_ex_t(texts::storage_cannot_open_read, texts::storage_cannot_open_read_detail);
    }
    reader_ = std::make_unique<archive_reader_t>(ops_, handle_, size, observer_);
    std::u16string header;
    try {
        header = reader_->read_string();
    } catch (const mfc_storage_ex_t&) {
        close_handle();
        throw mfc_storage_open_file_ex_t(texts::storage_damaged, texts::storage_damaged_detail);
    }
    if (scramble(header, read_password_) != header_text) {
        close_handle();
        throw mfc_storage_wrong_pass_ex_t(texts::storage_wrong_password);
    }
    read_key_ = password_key(read_password_);
    is_open_ = true;
}

void mfc_storage_t::reopen(int mode) {
    finish();
    open_mode(mode);
}

storage_t& mfc_storage_t::write_string(std::u16string_view text) {
    ensure_mode(mode_write);
    writer_->write_string(text, write_key_);
    return *this;
}

storage_t& mfc_storage_t::write_bool(bool value) {
    ensure_mode(mode_write);
    writer_->write_u8(value ? 1 : 0);
    return *this;
}

storage_t& mfc_storage_t::write_int(int32_t value) {
    ensure_mode(mode_write);
    writer_->write_u32(static_cast<uint32_t>(value));
    return *this;
}

storage_t& mfc_storage_t::read_string(std::u16string& text) {
    ensure_mode(mode_read);
    reader_->read_string(text, read_key_);
    return *this;
}

storage_t& mfc_storage_t::read_string(string_sink_t& sink) {
    ensure_mode(mode_read);
    reader_->read_string(sink, read_key_);
    return *this;
}

storage_t& mfc_storage_t::read_bool(bool& value) {
    ensure_mode(mode_read);
    const uint64_t at = reader_->offset();
    const uint8_t byte = reader_->read_u8();
    if (byte > 1 && observer_) observer_(stored_form_t::flag_byte, at);
    value = byte != 0;
    return *this;
}

storage_t& mfc_storage_t::read_int(int32_t& value) {
    ensure_mode(mode_read);
    value = static_cast<int32_t>(reader_->read_u32());
    return *this;
}

uint64_t mfc_storage_t::offset() const {
    if (reader_) return reader_->offset();
    if (writer_) return writer_->offset();
    return 0;
}

uint64_t mfc_storage_t::remaining() const {
    return reader_ ? reader_->remaining() : 0;
}
