#include "install_command.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "cfg_file.h"
#include "core/memory_file_ops.h"
#include "core/text_error.h"
#include "core/text_format.h"
#include "core/u16.h"
#include "platform/folders/script_install.h"
#include "platform/folders/user_folders.h"
#include "platform/registry/registry.h"
#include "resources/texts.h"
#include "script/factory.h"
#include "script/tag_errors.h"
#include "storage/mfc_storage.h"
#include "storage/storage_errors.h"
#include "vars/var_scope.h"

namespace fs = std::filesystem;

namespace {

// Far beyond any bank's script; a larger file is refused before it is read whole.
constexpr uintmax_t max_script_bytes = 64u << 20;

struct install_args_t {
    std::string source;
    std::optional<std::string> config_dir, registry;
    bool dry_run = false;
};

std::optional<install_args_t> parse(int argc, char** argv) {
    install_args_t args;
    bool have_source = false;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--config-dir" && has_value)
            args.config_dir = argv[++i];
        else if (a == "--registry" && has_value)
            args.registry = argv[++i];
        else if (a == "--dry-run")
            args.dry_run = true;
        else if (!have_source && !a.starts_with("--") && !a.empty())
            args.source = a, have_source = true;
        else
            return std::nullopt;
    }
    if (!have_source) return std::nullopt;
    return args;
}

void say(FILE* to, const std::u16string& line) {
    std::fputs((to_utf8(line) + "\n").c_str(), to);
}

std::u16string u(const fs::path& path) {
    return from_utf8(path.string());
}

// The code word as it stands in the file (the factory reports it with the attributes bit cleared).
std::u16string stored_code(const std::vector<unsigned char>& bytes, uint64_t at, int32_t reported) {
    if (at + 4 > bytes.size()) return number_text(reported);
    const auto word = int32_t(uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
                              uint32_t(bytes[at + 3]) << 24);
    return number_text(word >= 0 && word <= 0xFFFF ? word & ~attributes_bit : word);
}

std::u16string at_offset(uint64_t offset, const std::u16string& message) {
    return format_text(texts::cfg_at_offset, {number_text(int64_t(offset)), message});
}

// Loads the bytes as the program loads a script at the first start, as `check` does: the script storage with no
// key, the variables and the tree from it (linking the tags needs the screens). Empty when it loads; else why not,
// with the place.
std::u16string load_fault(const std::vector<unsigned char>& bytes) {
    memory_file_ops_t memory;
    memory.files["config.cfg"] = bytes;
    std::unique_ptr<mfc_storage_t> storage;
    try {
        storage = std::make_unique<mfc_storage_t>(u"config.cfg", mfc_storage_t::mode_read, u"", memory);
        auto root = new_cfg_root();
        root->set_storages(storage.get(), storage.get(), false);
        root->load();
        return {};
    } catch (const tag_unknown_ex_t& e) {
        const uint64_t at = storage->offset() - 4;
        return at_offset(at, format_text(texts::tag_code_unknown, {stored_code(bytes, at, e.code)}));
    } catch (const image_misplaced_ex_t& e) {
        return at_offset(e.offset, format_text(texts::cfg_image_misplaced, {e.text(), tag_name(e.parent_code)}));
    } catch (const mfc_storage_wrong_pass_ex_t&) {
        // A script is read with no key: a header that does not match it is a settings file's, scrambled by a PIN.
        return texts::install_not_a_script;
    } catch (const mfc_storage_ex_t& e) {
        return e.detail();
    } catch (const text_error_t& e) {
        return e.text();
    } catch (const std::exception& e) {
        return from_utf8(e.what());
    }
}

int refuse(const std::string& file, const std::u16string& why) {
    say(stderr, from_utf8(file) + u": " + why);
    say(stderr, std::u16string(u"ostrevan-cfg install: ") + texts::install_refused);
    return 1;
}

}  // namespace

int install_command(int argc, char** argv) {
    const auto args = parse(argc, argv);
    if (!args) {
        say(stderr, texts::cfg_bad_arguments);
        return 2;
    }
    std::error_code error;
    const uintmax_t size = fs::file_size(args->source, error);
    if (error || !fs::is_regular_file(args->source, error)) return refuse(args->source, texts::cfg_cannot_read);
    if (size > max_script_bytes) return refuse(args->source, texts::storage_damaged_detail);
    std::vector<unsigned char> bytes;
    {
        std::ifstream in(args->source, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in && !in.eof()) return refuse(args->source, texts::cfg_cannot_read);
    }
    // A settings file named as such is the user's own data, whatever it holds.
    if (fs::path(args->source).filename() == "settings.cfg") return refuse(args->source, texts::install_not_a_script);
    // What is checked is what is installed: the bytes read once.
    if (const std::u16string fault = load_fault(bytes); !fault.empty()) return refuse(args->source, fault);

    const fs::path folder = script_folder(args->config_dir, process_folder_environment());
    const fs::path registry = registry_root(args->registry);
    const install_plan_t plan = plan_install(folder, registry, {{"config.cfg", std::move(bytes)}});
    const fs::path script = folder / "config.cfg";
    const fs::path settings = folder / "settings.cfg";
    const fs::path marker = reinstall_marker_path(registry);

    if (plan.write.empty()) {
        say(stdout, format_text(texts::install_same, {u(folder)}));
        return 0;
    }
    if (!args->dry_run) {
        const install_outcome_t outcome = carry_out(plan, posix_file_ops());
        if (outcome.kind == install_outcome_t::kind_t::failed)
            return refuse(args->source,
                          format_text(texts::install_cannot_write,
                                      {from_utf8(outcome.failed_path), from_utf8(std::strerror(outcome.error))}));
        if (outcome.kind == install_outcome_t::kind_t::unconfirmed)
            say(stderr, format_text(texts::install_unconfirmed, {from_utf8(outcome.failed_path)}));
    }
    const bool dry = args->dry_run;
    if (plan.make_folder)
        say(stdout, format_text(dry ? texts::install_would_make_folder : texts::install_made_folder, {u(folder)}));
    say(stdout, format_text(dry ? texts::install_would_write : texts::install_wrote, {u(script)}));
    if (plan.set_marker)
        say(stdout,
            format_text(dry ? texts::install_would_set_marker : texts::install_marker_set, {u(settings), u(marker)}));
    else
        say(stdout, texts::install_first);
    if (dry) say(stdout, texts::install_dry_run);
    return 0;
}
