#include "platform/folders/script_install.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <memory>
#include <system_error>

#include "core/atomic_writer.h"
#include "core/u16.h"
#include "platform/registry/bank_queue.h"
#include "platform/registry/registry.h"

namespace fs = std::filesystem;

namespace {

// The file's bytes, or nothing when it cannot be read (missing, a folder, unreadable).
std::optional<std::vector<unsigned char>> read_whole(const fs::path& path, size_t limit) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<unsigned char> bytes;
    char buffer[65536];
    while (bytes.size() <= limit && (in.read(buffer, sizeof buffer) || in.gcount() > 0))
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    if (in.bad()) return std::nullopt;
    return bytes;
}

// The highest folder of `path` (itself included) that does not exist yet; empty when all of it exists.
fs::path first_missing(const fs::path& path) {
    fs::path missing;
    std::error_code error;
    for (fs::path at = path; !at.empty() && !fs::exists(at, error); at = at.parent_path()) {
        missing = at;
        if (at == at.parent_path()) break;
    }
    return missing;
}

// Takes back folders made on the way to `path`, from it up to `top`; a folder that is not empty stays.
void remove_made_folders(fs::path path, const fs::path& top) {
    if (top.empty()) return;
    std::error_code error;
    for (; !path.empty(); path = path.parent_path()) {
        if (!fs::remove(path, error) || path == top) break;
    }
}

}  // namespace

fs::path reinstall_marker_path(const fs::path& registry) {
    std::u16string key = application_key;
    std::string relative;
    for (char16_t c : key) relative += c == u'\\' ? '/' : char(c);
    return registry / fs::path(relative).relative_path() / to_utf8(reinstall_value);
}

install_plan_t plan_install(const fs::path& folder, const fs::path& registry, std::vector<install_file_t> files) {
    install_plan_t plan;
    plan.folder = folder;
    plan.registry = registry;
    std::error_code error;
    plan.make_folder = !fs::exists(folder, error);
    plan.settings_exist = !plan.make_folder && fs::exists(folder / "settings.cfg", error);
    // The script first: the other files are of use only with it.
    std::stable_partition(files.begin(), files.end(),
                          [](const install_file_t& file) { return file.name == "config.cfg"; });
    for (auto& file : files) {
        const auto present = plan.make_folder ? std::nullopt : read_whole(folder / file.name, file.bytes.size());
        if (present && *present == file.bytes) {
            plan.same.push_back(file.name);
            continue;
        }
        if (file.name == "config.cfg" && plan.settings_exist) plan.set_marker = true;
        plan.write.push_back(std::move(file));
    }
    return plan;
}

install_outcome_t carry_out(const install_plan_t& plan, file_ops_t& ops) {
    using kind_t = install_outcome_t::kind_t;
    auto failure = [](const fs::path& path, int error) {
        return install_outcome_t{kind_t::failed, path.string(), error};
    };
    if (plan.write.empty()) return {};

    // The folder: its parents as any other folder, itself private to the user.
    const fs::path folder_top = first_missing(plan.folder);
    auto undo_folder = [&] { remove_made_folders(plan.folder, folder_top); };
    if (plan.make_folder) {
        std::error_code error;
        if (plan.folder.has_parent_path()) fs::create_directories(plan.folder.parent_path(), error);
        if (::mkdir(plan.folder.c_str(), 0700) != 0 && errno != EEXIST) {
            const int code = errno;
            undo_folder();
            return failure(plan.folder, code);
        }
    }

    // Every new file is begun before anything is changed: a folder that cannot be written stops here.
    std::vector<std::unique_ptr<atomic_writer_t>> writers;
    for (const auto& file : plan.write) {
        auto writer = std::make_unique<atomic_writer_t>(ops, (plan.folder / file.name).string(), private_file);
        if (!writer->created()) {
            const int error = errno;
            writers.clear();
            undo_folder();
            return failure(plan.folder / file.name, error);
        }
        writers.push_back(std::move(writer));
    }

    bool marker_set_here = false;
    const fs::path marker = reinstall_marker_path(plan.registry);
    const fs::path key_top = first_missing(marker.parent_path());
    auto undo_marker = [&] {
        if (!marker_set_here) return;
        std::error_code error;
        fs::remove(marker, error);
        remove_made_folders(marker.parent_path(), key_top);
    };
    if (plan.set_marker) {
        std::error_code error;
        const bool was_there = fs::exists(marker, error);
        const auto key = registry_key_t::create(plan.registry, application_key);
        marker_set_here = !was_there;
        if (!key || !key->write(reinstall_value, "")) {
            const int code = errno;
            writers.clear();
            undo_marker();
            undo_folder();
            return failure(marker, code);
        }
    }

    install_outcome_t outcome;
    for (size_t i = 0; i < writers.size(); ++i) {
        const auto& bytes = plan.write[i].bytes;
        const bool written = writers[i]->write(bytes.data(), bytes.size());
        const int code = errno;
        const auto result = written ? writers[i]->commit() : atomic_writer_t::outcome_t::failed;
        if (result == atomic_writer_t::outcome_t::failed) {
            // The files before this one are in place, whole; config.cfg comes first, so a failure after it
            // leaves the new script with its marker, and a failure on it leaves everything as it was.
            if (i == 0) {
                writers.clear();
                undo_marker();
                undo_folder();
            }
            return failure(plan.folder / plan.write[i].name, written ? errno : code);
        }
        if (result == atomic_writer_t::outcome_t::unconfirmed) outcome = {kind_t::unconfirmed, writers[i]->target(), 0};
    }
    return outcome;
}
