#pragma once

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

// The simulated bank: answers a request text by rules kept as data. A rules file has one rule a line,
// "WHEN => REPLY", the first rule that fits answering; blank lines and lines starting with # are skipped.
//   WHEN:  code            the request carries a confirmation code the bank issued and has not seen back
//          start:TEXT      the request (without port prefix and version trailer) starts with TEXT
//          contains:TEXT   the request contains TEXT
//          any             every request
//   REPLY: the answer; {code} becomes a fresh confirmation code ("CFM" and six digits), {sent} the code
//          that came back, {request} the request without port prefix and version trailer.
// Every answer carries the bank's port marker, and starts with the request's port prefix ("{7}") when
// the request had one.
class sim_bank_t {
public:
    static constexpr char marker[] = "APP_PORT=2201";
    static const char default_rules[];
    static constexpr size_t max_open_codes = 10'000;

    // Throws std::runtime_error naming the line of a rule it cannot read.
    explicit sim_bank_t(const std::string& rules = default_rules, unsigned seed = 2201);
    static sim_bank_t from_file(const std::filesystem::path& file);

    // The answer to one request (UTF-8 in, UTF-8 out); empty when no rule fits.
    std::string answer(const std::string& request);

private:
    struct rule_t {
        enum class kind_t { code, start, contains, any } kind;
        std::string text;
        std::string reply;
    };
    std::string fresh_code();

    std::vector<rule_t> rules_;
    std::set<std::string> issued_;
    std::mt19937 random_;
};
