// ostrevan-cfg lint SCRIPT [--format text|json] [--pin PIN]; ostrevan-cfg lint --rules

#include <QString>
#include <cstdio>
#include <string>

#include "commands.h"
#include "core/u16.h"
#include "resources/texts.h"
#include "script_source.h"
#include "tools/script-lint/script_lint.h"

namespace {

void put(FILE* to, const std::string& text) {
    std::fputs(text.c_str(), to);
}

}  // namespace

int lint_command(int argc, char** argv) {
    if (argc == 1 && std::string(argv[0]) == "--rules") {
        put(stdout, lint::format_rules());
        return 0;
    }
    QString input;
    bool json = false;
    std::u16string pin;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--format" && i + 1 < argc &&
            (std::string(argv[i + 1]) == "json" || std::string(argv[i + 1]) == "text")) {
            json = std::string(argv[++i]) == "json";
        } else if (arg == "--pin" && i + 1 < argc) {
            pin = from_utf8(argv[++i]);
        } else if (input.isEmpty() && !arg.empty() && arg[0] != '-') {
            input = QString::fromLocal8Bit(argv[i]);
        } else {
            input.clear();
            break;
        }
    }
    if (input.isEmpty()) {
        put(stderr, to_utf8(texts::cfg_bad_arguments) + "\n");
        return 1;
    }
    try {
        const script_source_t source = read_script_source(input, pin);
        const auto findings = lint::check(*source.file.vars, *source.file.root);
        const lint::place_of_t place = [&](const tag_t& tag) {
            lint::place_t at;
            if (source.is_xml) {
                if (auto found = source.xml_places.find(&tag); found != source.xml_places.end()) {
                    at.line = found->second.line;
                    at.column = found->second.column;
                }
            } else if (auto found = source.offsets.find(&tag); found != source.offsets.end()) {
                at.offset = found->second;
            }
            return at;
        };
        const std::u16string file = input.toStdU16String();
        put(stdout, json ? lint::format_json(findings, file, place) : lint::format_lines(findings, file, place));
        return lint::has_error(findings) ? 1 : 0;
    } catch (const cfg_error_t& e) {
        put(stderr, to_utf8(e.place + u": " + e.message) + "\n");
        return 1;
    }
}
