// How findings and the rule table are written out: lines for people and editors, JSON for tools.

#include <algorithm>

#include "core/text_format.h"
#include "core/u16.h"
#include "resources/texts.h"
#include "tools/script-lint/script_lint.h"

namespace lint {

namespace {

const char* severity_word(severity_t severity) {
    return severity == severity_t::error ? "error" : "warning";
}

void append_json_string(std::string& out, const std::string& utf8) {
    out += '"';
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += char(c);
        }
    }
    out += '"';
}

}  // namespace

std::string format_lines(const std::vector<finding_t>& findings, const std::u16string& file, const place_of_t& place) {
    std::string out;
    for (const auto& finding : findings) {
        const rule_info_t& rule = info(finding.rule);
        const place_t at = place(*finding.tag);
        const std::u16string what =
            from_utf8(std::string(severity_word(rule.severity)) + ": " + rule.code + ": ") + finding.message;
        if (at.offset)
            out += to_utf8(file + u": " + format_text(texts::cfg_at_offset, {number_text(int64_t(*at.offset)), what}));
        else
            out += to_utf8(file + u":" + number_text(at.line) + u":" + number_text(at.column) + u": " + what);
        out += '\n';
    }
    return out;
}

std::string format_json(const std::vector<finding_t>& findings, const std::u16string& file, const place_of_t& place) {
    std::string out = "[";
    for (size_t i = 0; i < findings.size(); ++i) {
        const finding_t& finding = findings[i];
        const rule_info_t& rule = info(finding.rule);
        const place_t at = place(*finding.tag);
        out += i == 0 ? "\n  {\"file\": " : ",\n  {\"file\": ";
        append_json_string(out, to_utf8(file));
        if (at.offset) {
            out += ", \"offset\": " + std::to_string(*at.offset);
        } else {
            out += ", \"line\": " + std::to_string(at.line) + ", \"column\": " + std::to_string(at.column);
        }
        out += ", \"severity\": \"" + std::string(severity_word(rule.severity)) + "\", \"code\": \"" + rule.code +
               "\", \"message\": ";
        append_json_string(out, to_utf8(finding.message));
        out += "}";
    }
    out += findings.empty() ? "]\n" : "\n]\n";
    return out;
}

std::string format_rules() {
    std::string out = to_utf8(texts::lint_rules_heading);
    for (const auto& rule : rules()) {
        std::string code = rule.code;
        code.resize(std::max<size_t>(code.size(), 24), ' ');
        std::string severity = severity_word(rule.severity);
        severity.resize(8, ' ');
        out += "  " + code + severity + to_utf8(rule.reason) + "\n";
    }
    return out;
}

}  // namespace lint
