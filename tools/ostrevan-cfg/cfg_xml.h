#pragma once

// The XML spelling of a script or settings file (see `ostrevan-cfg --help` and the README).

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <unordered_map>

#include "cfg_file.h"

// Where a tag's element starts in the XML source: the line and column (from 1) of its "<".
struct xml_place_t {
    int64_t line = 0, column = 0;
};
using xml_places_t = std::unordered_map<const tag_t*, xml_place_t>;

// Reads the XML source. Refuses, with cfg_error_t naming FILE:LINE:COLUMN, what the program could not
// read: unknown tag names, a tag under a parent that does not accept it, an "Image" outside "Logo" and
// "Form", text in a complex tag, tags in a simple one. With `places`, keeps where each tag's element starts.
cfg_file_t parse_cfg_xml(const QByteArray& xml, const QString& file_name, xml_places_t* places = nullptr);

// The XML of a file. Refuses, with cfg_error_t, a text holding a character that XML cannot carry.
QByteArray write_cfg_xml(const cfg_file_t& file, const QString& file_name);
