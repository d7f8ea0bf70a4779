#pragma once

// The XML spelling of a script or settings file (see `ostrevan-cfg --help` and the README).

#include <QByteArray>
#include <QString>

#include "cfg_file.h"

// Reads the XML source. Refuses, with cfg_error_t naming FILE:LINE:COLUMN, what the program could not
// read: unknown tag names, a tag under a parent that does not accept it, an "Image" outside "Logo" and
// "Form", text in a complex tag, tags in a simple one.
cfg_file_t parse_cfg_xml(const QByteArray& xml, const QString& file_name);

// The XML of a file. Refuses, with cfg_error_t, a text holding a character that XML cannot carry.
QByteArray write_cfg_xml(const cfg_file_t& file, const QString& file_name);
