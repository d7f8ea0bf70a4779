#include "core/atomic_file.h"

#include <system_error>

#include "core/atomic_writer.h"

bool write_file_atomically(const std::filesystem::path& file, std::string_view content, std::filesystem::path* failed,
                           file_ops_t& ops) {
    std::error_code ignored;  // a folder that cannot be made shows when the file is created
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ignored);
    atomic_writer_t writer(ops, file.string(), private_file);
    writer.write(content.data(), content.size());
    if (writer.commit() == atomic_writer_t::outcome_t::done) return true;
    if (failed) *failed = file;
    return false;
}

std::filesystem::path set_aside_damaged(const std::filesystem::path& file) {
    std::filesystem::path aside = file.string() + ".bad";
    std::error_code ignored;
    std::filesystem::rename(file, aside, ignored);
    return aside;
}
