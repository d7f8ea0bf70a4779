#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// What becomes of an incoming text (single, or the joined parts of a concatenated one):
enum class sms_intake_t {
    leave,  // not ours: not recorded, the modem keeps its copy
    keep,   // recorded and shown, the modem keeps its copy too (a tool that only looks)
    take,   // recorded; the modem's copy goes once the record is on disk
};
// Decides by the text; the program's decides by the bank's rule, which lives above the modem layer.
using sms_intake_filter_t = std::function<sms_intake_t(const std::u16string& text)>;

// One incoming text as the message store shows it: a single SMS or a joined concatenated one.
struct inbox_message_t {
    std::string id;  // stable identity, derived from the PDUs it came from
    std::u16string sender;
    std::u16string text;
    bool read = false;
    bool complete = true;  // false for a concatenated message handed out with parts missing
};

// Our own record of incoming messages, kept in one file beside the registry. The modem's "REC UNREAD"
// is not trusted (listing marks messages read on most modems, and another program may read them): a
// PDU is taken from the modem's storage into this ledger, the ledger is written crash-safely, and only
// then may the modem's copy be deleted, and only when the intake filter took its text. The ledger
// remembers which PDUs it has seen, so a PDU whose delete was lost (or that stays in the modem) is not
// taken twice; it keeps the parts of concatenated messages until they are complete or too old, and the
// parts of joined messages for a while, so that a part delivered again does not become a second message;
// and it holds the joined messages with our own read flag, so each is handed over exactly once, also
// across restarts.
class sms_ledger_t {
public:
    using wall_clock_t = std::function<int64_t()>;  // seconds since the epoch

    static constexpr std::chrono::seconds part_timeout{24 * 3600};
    static constexpr size_t max_messages = 500;  // read messages beyond this are forgotten, oldest first
    // Unread messages are kept up to this many; past it (a flood of messages nobody reads) the oldest
    // unread go too, so that the file stays bounded.
    static constexpr size_t max_unread = 2000;
    static constexpr size_t max_taken = 4096;   // keys of PDUs taken but maybe not yet deleted
    static constexpr size_t max_parts = 4096;   // parts waiting for their set
    static constexpr size_t max_joined = 4096;  // parts of joined messages remembered against repeats

    // $XDG_STATE_HOME/ostrevan/sms-inbox.ledger (or ~/.local/state/...): where the program keeps it.
    static std::filesystem::path default_file();

    // An empty path keeps nothing on disk. A missing file is an empty ledger; a damaged one is set aside
    // as FILE.bad and reported by load_warning().
    explicit sms_ledger_t(std::filesystem::path file, wall_clock_t clock = nullptr);

    const std::string& load_warning() const { return load_warning_; }

    // The key of a PDU listed by the modem: the PDU and its place in the storage, so that a copy whose
    // delete was lost is known again, while the same bytes arriving anew in another place are not.
    // A directly delivered PDU has no place: give something unique (its arrival).
    static std::string key_of(std::string_view pdu_hex, std::string_view place);

    // Looks at one PDU under its key: a single text is recorded or not as `intake` says; a part waits
    // for its set. False for a PDU that cannot be read, which stays in the modem.
    bool take(std::string_view pdu_hex, const std::string& key, const sms_intake_filter_t& intake);
    // The key of a whole message handed over by a service that joins the parts itself (ModemManager): its sender,
    // service-centre time (as the service writes it) and text, which stay the same however often and under
    // whatever name the service lists it, also after the service restarts.
    static std::string key_of_whole(std::u16string_view sender, std::string_view timestamp, std::u16string_view text);
    // Looks at a whole message under its key: recorded or not as `intake` says, never twice. The service's copy
    // may go once releasable(key) and the ledger is saved.
    void take_whole(const std::string& key, const std::u16string& sender, const std::u16string& text,
                    const sms_intake_filter_t& intake);
    // Joins the parts that are complete and hands out sets that waited too long, each as `intake` says.
    // Returns how many new messages appeared since the last call, single ones taken in included.
    size_t settle(const sms_intake_filter_t& intake);
    // The modem's copy of the PDU under this key may be deleted: it is recorded and was taken.
    bool releasable(const std::string& key) const;
    // Writes the ledger crash-safely (temp file, fsync, rename), unless this ledger wrote the same already.
    // Nothing when it is on disk, else why not (English, for the log).
    [[nodiscard]] std::optional<std::string> save();
    // After a complete listing: forgets taken keys of PDUs no longer in the modem.
    void forget_taken_except(const std::set<std::string>& listed_keys);
    bool taken(const std::string& key) const;

    std::vector<inbox_message_t> messages() const;
    // Sets our read flag and saves. False when there is no such message or it cannot be saved.
    bool set_read(const std::string& id);

private:
    struct part_t {
        std::string key;
        int64_t arrival = 0;
        std::string hex;
    };
    struct joined_t {
        std::string fingerprint;  // of the part's content, not of its place
        int64_t at = 0;
        bool released = false;  // its message was taken: a repeat may go from the modem too
    };
    void load();
    void add_message(inbox_message_t message);
    void note_taken(const std::string& key, bool released);
    std::optional<std::string> save_locked();

    mutable std::mutex mutex_;
    std::filesystem::path file_;
    wall_clock_t clock_;
    std::vector<std::string> taken_;  // in order of taking
    std::set<std::string> kept_;      // taken keys whose modem copy stays
    std::vector<part_t> parts_;
    std::vector<joined_t> joined_;
    std::vector<inbox_message_t> messages_;
    size_t fresh_ = 0;
    std::string load_warning_;
    std::string written_;  // what this ledger last put on disk; the first save always writes
};
