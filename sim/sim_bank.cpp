#include "sim/sim_bank.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

const char sim_bank_t::default_rules[] =
    "# The simulated bank's answers: WHEN => REPLY, the first rule that fits answers. No answer but the\n"
    "# confirmation request carries \"CFM\": the program offers to confirm every text that does.\n"
    "code => Платёж подтверждён. Спасибо! APP_PORT=2201\n"
    "contains:PAY => Запрос на платёж принят. Для подтверждения отправьте код {code} APP_PORT=2201\n"
    "contains:TRANSFER => Запрос на перевод принят. Для подтверждения отправьте код {code} APP_PORT=2201\n"
    "contains:BAL => Баланс карты: 12 345,67 руб. APP_PORT=2201\n"
    "contains:HIST => Последние операции: 09.12 -500,00 руб.; 08.12 +15 000,00 руб. APP_PORT=2201\n"
    "any => Неизвестный запрос. Проверьте правильность ввода. APP_PORT=2201\n";

namespace {

std::string trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

void replace_all(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// "CFM" and the digits after it, wherever it stands in the text.
std::vector<std::string> codes_in(const std::string& text) {
    std::vector<std::string> out;
    for (size_t at = text.find("CFM"); at != std::string::npos; at = text.find("CFM", at + 3)) {
        size_t end = at + 3;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
        if (end > at + 3) out.push_back(text.substr(at, end - at));
    }
    return out;
}

}  // namespace

sim_bank_t::sim_bank_t(const std::string& rules, unsigned seed) : random_(seed) {
    std::istringstream in(rules);
    size_t number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        line = trim(line);
        if (line.empty() || line[0] == '#') continue;
        const size_t arrow = line.find("=>");
        if (arrow == std::string::npos)
            throw std::runtime_error("bank rules line " + std::to_string(number) + ": no \"=>\"");
        const std::string when = trim(line.substr(0, arrow));
        rule_t rule{rule_t::kind_t::any, {}, trim(line.substr(arrow + 2))};
        if (when == "code")
            rule.kind = rule_t::kind_t::code;
        else if (when == "any")
            rule.kind = rule_t::kind_t::any;
        else if (when.starts_with("start:"))
            rule = {rule_t::kind_t::start, when.substr(6), rule.reply};
        else if (when.starts_with("contains:"))
            rule = {rule_t::kind_t::contains, when.substr(9), rule.reply};
        else
            throw std::runtime_error("bank rules line " + std::to_string(number) + ": unknown condition \"" + when +
                                     "\"");
        if (rule.reply.empty()) throw std::runtime_error("bank rules line " + std::to_string(number) + ": empty reply");
        rules_.push_back(std::move(rule));
    }
}

sim_bank_t sim_bank_t::from_file(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) throw std::runtime_error("cannot read bank rules " + file.string());
    std::stringstream text;
    text << in.rdbuf();
    return sim_bank_t(text.str());
}

std::string sim_bank_t::fresh_code() {
    if (issued_.size() >= max_open_codes) issued_.clear();  // a bank forgets codes never sent back
    for (;;) {
        std::string code = "CFM" + std::to_string(100000 + random_() % 900000);
        if (issued_.insert(code).second) return code;
    }
}

std::string sim_bank_t::answer(const std::string& text) {
    // "{7}BAL;;ver=w2.17": the port prefix goes back in front of the answer, the trailer is dropped.
    std::string prefix, request = text;
    if (request.starts_with('{'))
        if (const size_t close = request.find('}'); close != std::string::npos && close < 16) {
            prefix = request.substr(0, close + 1);
            request.erase(0, close + 1);
        }
    if (const size_t trailer = request.find(";;ver="); trailer != std::string::npos) request.erase(trailer);
    for (const auto& rule : rules_) {
        std::string sent;
        switch (rule.kind) {
            case rule_t::kind_t::code:
                for (const auto& c : codes_in(request))
                    if (issued_.erase(c)) sent = c;
                if (sent.empty()) continue;
                break;
            case rule_t::kind_t::start:
                if (!request.starts_with(rule.text)) continue;
                break;
            case rule_t::kind_t::contains:
                if (request.find(rule.text) == std::string::npos) continue;
                break;
            case rule_t::kind_t::any:
                break;
        }
        std::string reply = rule.reply;
        replace_all(reply, "{sent}", sent);
        while (reply.find("{code}") != std::string::npos) reply.replace(reply.find("{code}"), 6, fresh_code());
        replace_all(reply, "{request}", request);
        if (reply.find(marker) == std::string::npos) reply += std::string(" ") + marker;
        return prefix + reply;
    }
    return {};
}
