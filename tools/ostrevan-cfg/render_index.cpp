#include "render_index.h"

#include "core/text_format.h"
#include "resources/texts.h"

std::u16string html_escaped(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        switch (c) {
            case u'&':
                out += u"&amp;";
                break;
            case u'<':
                out += u"&lt;";
                break;
            case u'>':
                out += u"&gt;";
                break;
            case u'"':
                out += u"&quot;";
                break;
            case u'\'':
                out += u"&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

namespace {

std::u16string commands_line(const std::vector<std::u16string>& commands) {
    if (commands.empty()) return {};
    std::u16string joined;
    for (const auto& command : commands) joined += (joined.empty() ? u"" : u", ") + command;
    return u"<br><small>" + html_escaped(format_text(texts::render_commands, {joined})) + u"</small>";
}

}  // namespace

std::u16string render_index(const std::u16string& script, const std::u16string& platform_type, screen_size_t screen,
                            const std::vector<road_t>& roads) {
    const std::u16string title = html_escaped(format_text(texts::render_title, {script}));
    std::u16string page =
        u"<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
        u"</title>\n<style>\nbody { font-family: sans-serif; margin: 16px; }\n"
        u"section { border-top: 1px solid #ccc; padding: 8px 0; }\n"
        u"figure { display: inline-block; vertical-align: top; margin: 0 16px 8px 0; }\n"
        u"img { border: 1px solid #888; }\n.message { color: #444; }\n.failure { color: #b00; }\n</style>\n"
        u"</head>\n<body>\n<h1>" +
        title + u"</h1>\n<p>" +
        html_escaped(
            format_text(texts::render_device, {platform_type, number_text(screen.width), number_text(screen.height)})) +
        u"</p>\n";
    for (const auto& road : roads) {
        page += u"<section>\n<h2>" + html_escaped(road.path) + u"</h2>\n";
        for (const auto& message : road.messages)
            page += u"<p class=\"message\">" + html_escaped(format_text(texts::render_message, {message})) + u"</p>\n";
        for (const auto& picture : road.pictures)
            page += u"<figure><img src=\"" + html_escaped(picture.file) + u"\" alt=\"" + html_escaped(picture.title) +
                    u"\"><figcaption>" + html_escaped(picture.title) + commands_line(picture.commands) +
                    u"</figcaption></figure>\n";
        if (!road.failure.empty())
            page +=
                u"<p class=\"failure\">" + html_escaped(format_text(texts::render_failure, {road.failure})) + u"</p>\n";
        else if (road.pictures.empty())
            page += u"<p class=\"failure\">" + html_escaped(texts::render_no_form) + u"</p>\n";
        page += u"</section>\n";
    }
    page += u"</body>\n</html>\n";
    return page;
}
