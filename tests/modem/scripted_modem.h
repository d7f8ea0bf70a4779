#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/modem/memory_transport.h"

// A modem that plays a recorded transcript (tests/modem/data/*.at):
//   > TEXT    the engine must write TEXT (a command ends with \r, which is implied; data ends with \x1a)
//   < TEXT    the modem answers the line TEXT ("\r\nTEXT\r\n")
//   = TEXT    the modem sends TEXT as it stands (escapes \r \n \xNN), e.g. the prompt "> " or garbage
//   ~ MS      what follows comes MS milliseconds later
//   !hangup   the link drops
// Lines starting with # are comments. Answers before the first ">" are sent at once.
class scripted_modem_t : public modem_peer_t {
public:
    scripted_modem_t(std::string transcript, modem_clock_t& clock);
    // `fill` puts values in place of "{name}" (PDUs a test encodes, their lengths).
    static scripted_modem_t from_file(const std::string& name, modem_clock_t& clock,
                                      const std::map<std::string, std::string>& fill = {});

    void receive(std::string_view bytes) override;
    std::string take_output() override;
    std::optional<modem_time_t> next_event() override;
    void advance(modem_time_t now) override;
    bool connected() override { return connected_; }

    // Mismatches between what the engine wrote and the transcript; empty when it followed the script.
    const std::vector<std::string>& mismatches() const { return mismatches_; }
    bool finished() const { return step_ == steps_.size(); }

private:
    struct step_t {
        char kind;
        std::string text;
    };
    void play_answers();

    std::vector<step_t> steps_;
    size_t step_ = 0;
    modem_clock_t& clock_;
    std::string input_;
    std::vector<std::pair<modem_time_t, std::string>> pending_;
    std::string output_;
    bool connected_ = true;
    modem_time_t hangup_at_{-1};
    std::vector<std::string> mismatches_;
};

std::string unescape(const std::string& text);
std::string escape_bytes(const std::string& bytes);
