#pragma once

// Helpers of the script tests: script files written byte by byte, and roots loaded from and saved to
// files held in memory.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cfg_bytes.h"
#include "core/memory_file_ops.h"
#include "script/factory.h"
#include "script/menu_applet_tag.h"
#include "storage/mfc_storage.h"

class script_files_t {
public:
    memory_file_ops_t ops;

    void put(const std::string& path, const cfg_bytes_t& file) { ops.files[path] = file.bytes; }

    std::unique_ptr<mfc_storage_t> open_read(const std::string& path, const std::u16string& pin = u"") {
        return std::make_unique<mfc_storage_t>(std::u16string(path.begin(), path.end()), mfc_storage_t::mode_read, pin,
                                               ops);
    }

    static std::unique_ptr<MenuApplet_tag_t> new_root() {
        auto tag = create_tag_by_name(u"MenuApplet", nullptr);
        return std::unique_ptr<MenuApplet_tag_t>(static_cast<MenuApplet_tag_t*>(tag.release()));
    }

    // The root's load of one file that is both script and settings.
    std::unique_ptr<MenuApplet_tag_t> load(const std::string& path) {
        storage_ = open_read(path);
        auto root = new_root();
        root->set_storages(storage_.get(), storage_.get(), false);
        root->load();
        return root;
    }

    // The root's save into `path`; the file's bytes.
    byte_vector save(MenuApplet_tag_t& root, const std::string& path, const std::u16string& pin = u"") {
        mfc_storage_t out(std::u16string(path.begin(), path.end()), mfc_storage_t::mode_write, pin, ops);
        script_context.current_storage = &out;
        root.save();
        out.close();
        script_context.current_storage = nullptr;
        return ops.files[path];
    }

private:
    std::unique_ptr<mfc_storage_t> storage_;
};
