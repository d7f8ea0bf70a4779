// ostrevan-modem queue: puts one bank message into the program's registry queue by hand, as the message routing of
// a touch-screen device does; the program shows it at its next start or when a second copy is started.
#include <iostream>
#include <optional>

#include "core/text_format.h"
#include "core/u16.h"
#include "platform/registry/bank_queue.h"
#include "platform/registry/registry.h"
#include "resources/texts.h"
#include "tools/ostrevan-modem/command.h"

namespace {

std::string queue_usage() {
    return to_utf8(texts::modem_usage_word) + "ostrevan-modem queue [--registry DIR] TEXT\n" +
           to_utf8(texts::modem_queue_options);
}

}  // namespace

int queue_command(const std::vector<std::string>& args) {
    std::optional<std::string> registry;
    std::optional<std::string> text;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--registry" && i + 1 < args.size())
            registry = args[++i];
        else if (!text && !args[i].starts_with("--"))
            text = args[i];
        else
            text.reset(), i = args.size();
    }
    if (!text) {
        std::cerr << queue_usage();
        return 2;
    }
    const std::u16string message = from_utf8(*text);
    if (2 * message.size() + 2 > queue_max_bytes) {
        std::cerr << to_utf8(texts::modem_queue_too_long) << '\n';
        return 1;
    }
    const auto root = registry_root(registry);
    if (!queue_bank_text(root, message)) {
        std::cerr << to_utf8(format_text(texts::modem_queue_cannot_write, {from_utf8(root.string())})) << '\n';
        return 1;
    }
    return 0;
}
