#pragma once

// A script as `lint` and `render` take it: its XML source or a compiled file (a settings file with its PIN),
// told apart by the archive's header at the start of the file.

#include <QString>
#include <memory>
#include <string>

#include "cfg_file.h"
#include "cfg_xml.h"
#include "core/memory_file_ops.h"

struct script_source_t {
    cfg_file_t file;
    bool is_xml = false;
    // Where each tag stands: in the XML source, or the byte offset of its record in the file.
    xml_places_t xml_places;
    std::unordered_map<const tag_t*, uint64_t> offsets;
    // The file as the program would find it: the compiled bytes of an XML source (as "script.cfg"), or none.
    std::unique_ptr<memory_file_ops_t> compiled;
};

// Reads `path`. Errors raise cfg_error_t naming the place, as compile and check report them.
script_source_t read_script_source(const QString& path, const std::u16string& pin);
