#include "app/demo_bank.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "core/file_ops.h"
#include "core/text_format.h"
#include "core/u16.h"
#include "platform/folders/script_install.h"
#include "platform/folders/user_folders.h"
#include "resources/texts.h"

namespace fs = std::filesystem;

bool prepare_demo(app_options_t& options, std::u16string& error) {
    const folder_environment_t env = process_folder_environment();
    const fs::path installed = installed_data_folder(env) / "demo";
    std::vector<install_file_t> files;
    for (const char* name : {"config.cfg", "logo.png", "bank-rules.txt"}) {
        std::ifstream in(installed / name, std::ios::binary);
        if (!in) {
            error = format_text(texts::app_demo_missing, {from_utf8((installed / name).string())});
            return false;
        }
        files.push_back({name, {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}});
    }
    const fs::path folder = demo_folder(env);
    const fs::path registry = options.registry ? fs::path(*options.registry) : demo_registry();
    const install_outcome_t outcome = carry_out(plan_install(folder, registry, std::move(files)), posix_file_ops());
    if (outcome.kind == install_outcome_t::kind_t::failed) {
        error = format_text(
            texts::app_demo_not_prepared,
            {from_utf8(folder.string()), from_utf8(outcome.failed_path + ": " + std::strerror(outcome.error))});
        return false;
    }
    options.config_dir = folder.string();
    options.registry = registry.string();
    return true;
}
