#include "core/atomic_writer.h"

#include <mutex>
#include <set>

namespace {

// The temporary files the writers of this process hold now, which a sweep for leftovers keeps.
std::mutex held_mutex;
std::set<std::string>& held_temps() {
    static std::set<std::string> held;
    return held;
}

void release(const std::string& temp) {
    if (temp.empty()) return;
    std::lock_guard lock(held_mutex);
    held_temps().erase(temp);
}

bool all_digits(const std::string& text) {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

long writer_leftover_pid(const std::string& name) {
    const size_t mark = name.rfind(".tmp-");
    if (mark == std::string::npos || mark == 0) return -1;
    const std::string tail = name.substr(mark + 5);
    const size_t dash = tail.find('-');
    if (dash == std::string::npos) return -1;
    const std::string pid = tail.substr(0, dash);
    if (!all_digits(pid) || !all_digits(tail.substr(dash + 1))) return -1;
    return std::stol(pid);
}

size_t remove_writer_leftovers(file_ops_t& ops, const std::string& folder) {
    size_t removed = 0;
    std::lock_guard lock(held_mutex);
    for (const std::string& name : ops.list_files(folder)) {
        const long pid = writer_leftover_pid(name);
        if (pid <= 0) continue;
        const std::string path = folder == "." ? name : folder + (folder.ends_with('/') ? "" : "/") + name;
        const bool mine = pid == ops.own_pid();
        if (mine ? held_temps().count(path) > 0 : ops.process_running(pid)) continue;
        if (ops.remove(path)) ++removed;
    }
    return removed;
}

atomic_writer_t::atomic_writer_t(file_ops_t& ops, std::string target, file_permissions_t permissions)
    : ops_(ops), target_(std::move(target)) {
    {
        // Made and recorded in one step, so that a sweep never takes it for a leftover.
        std::lock_guard lock(held_mutex);
        handle_ = ops_.create_temp(target_, temp_, permissions);
        created_ = handle_ >= 0;
        if (created_) held_temps().insert(temp_);
    }
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
    release(temp_);
    temp_.clear();
    failed_ = true;  // nothing more may be written
    return ops_.fsync_dir(folder_of(target_)) ? outcome_t::done : outcome_t::unconfirmed;
}

void atomic_writer_t::abandon() {
    failed_ = true;
    if (handle_ >= 0) ops_.close(handle_);
    handle_ = -1;
    if (!temp_.empty()) ops_.remove(temp_);
    release(temp_);
    temp_.clear();
}
