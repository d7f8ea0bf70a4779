#include "core/atomic_writer.h"

atomic_writer_t::atomic_writer_t(file_ops_t& ops, std::string target, file_permissions_t permissions)
    : ops_(ops), target_(std::move(target)) {
    handle_ = ops_.create_temp(target_, temp_, permissions);
    created_ = handle_ >= 0;
    failed_ = !created_;
    if (!created_) temp_.clear();
}

atomic_writer_t::~atomic_writer_t() {
    abandon();
}

bool atomic_writer_t::write(const void* data, size_t n) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (!failed_ && n > 0) {
        const long written = ops_.write(handle_, bytes, n);
        if (written <= 0) {
            failed_ = true;
            break;
        }
        bytes += written;
        n -= static_cast<size_t>(written);
    }
    return !failed_;
}

atomic_writer_t::outcome_t atomic_writer_t::commit() {
    if (failed_ || handle_ < 0) {
        abandon();
        return outcome_t::failed;
    }
    bool written = ops_.fsync(handle_);
    const int handle = handle_;
    handle_ = -1;
    written = ops_.close(handle) && written;  // a failed close may mean lost data
    if (!written || !ops_.rename(temp_, target_)) {
        failed_ = true;
        abandon();
        return outcome_t::failed;
    }
    temp_.clear();
    failed_ = true;  // nothing more may be written
    return ops_.fsync_dir(folder_of(target_)) ? outcome_t::done : outcome_t::unconfirmed;
}

void atomic_writer_t::abandon() {
    failed_ = true;
    if (handle_ >= 0) ops_.close(handle_);
    handle_ = -1;
    if (!temp_.empty()) ops_.remove(temp_);
    temp_.clear();
}
