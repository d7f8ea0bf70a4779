#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/file_ops.h"

// Puts a bank's files (its compiled script, and for the demo its picture and the simulated bank's rules) into a
// script folder, as an installer of the device would: crash-safely, the folder private to the user, the user's
// settings.cfg never touched. When the user already has settings and the script changes, the reinstall marker
// is set in the registry first, so that the next start takes the new script's tree and keeps the user's
// variables; a marker left by an install that stopped half-way only makes the next start take config.cfg's tree.
// Checking that the script loads is the caller's work: here the bytes are only placed.

struct install_file_t {
    std::string name;                  // the file's name in the script folder ("config.cfg")
    std::vector<unsigned char> bytes;  // its new content
};

struct install_plan_t {
    std::filesystem::path folder;
    std::filesystem::path registry;
    bool make_folder = false;           // the folder does not exist yet: it is made with mode 0700
    bool settings_exist = false;        // settings.cfg is there: it stays as it is
    bool set_marker = false;            // settings exist and config.cfg changes
    std::vector<install_file_t> write;  // files whose content differs from what is there (or is missing)
    std::vector<std::string> same;      // files already there with this content
};

// What installing `files` into `folder` would do; changes nothing.
install_plan_t plan_install(const std::filesystem::path& folder, const std::filesystem::path& registry,
                            std::vector<install_file_t> files);

struct install_outcome_t {
    enum class kind_t { done, failed, unconfirmed } kind = kind_t::done;
    std::string failed_path;  // what could not be made or written
    int error = 0;            // errno of the failure, when the system gave one
};

// Carries the plan out. On failure nothing the user had is changed: a folder made here is removed again, a
// marker set here is taken back, and files already written stay whole (each one is replaced in one step).
install_outcome_t carry_out(const install_plan_t& plan, file_ops_t& ops);

// The marker's file in the registry (the value "reinstall_flag" of the application's key).
std::filesystem::path reinstall_marker_path(const std::filesystem::path& registry);
