#pragma once

// `ostrevan-cfg lint`: the faults a bank's script can hold that are silent when the program runs, found in the
// tree as loaded (no tag behaviour runs) together with the file's variables.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/script-lint/lint_rules.h"

class tag_t;
class tag_complex_t;
class var_registry_t;

namespace lint {

struct finding_t {
    rule_t rule;
    // The tag the finding is about; never null.
    const tag_t* tag;
    std::u16string message;
};

// Checks the tree under `root` (the root's children are the file's top-level tags) with the variables of the
// file. The findings come in document order.
std::vector<finding_t> check(const var_registry_t& vars, const tag_complex_t& root);

bool has_error(const std::vector<finding_t>& findings);

// Where a tag stands in its file: a line and column of the XML source, or the byte offset of its record.
struct place_t {
    int64_t line = 0, column = 0;
    std::optional<uint64_t> offset;
};
using place_of_t = std::function<place_t(const tag_t&)>;

// One line a finding: FILE:LINE:COLUMN (or "FILE: смещение N"): предупреждение|ошибка: CODE: message.
std::string format_lines(const std::vector<finding_t>& findings, const std::u16string& file, const place_of_t& place);
// A JSON array of {"file", "line", "column" | "offset", "severity", "code", "message"}, one object a line.
std::string format_json(const std::vector<finding_t>& findings, const std::u16string& file, const place_of_t& place);
// The rule table as help text.
std::string format_rules();

}  // namespace lint
