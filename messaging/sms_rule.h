#pragma once

#include <mutex>
#include <string>
#include <string_view>

// The markers the bank puts into every one of its messages.
inline constexpr char16_t bank_marker[] = u"APP_PORT=2201";
inline constexpr char16_t bank_marker_short[] = u"APPPORT=2201";

// Decides which incoming texts are the bank's, and finds the payment-confirmation code in a bank text.
// The script sets the prefix and switches it on (user-interface thread) while the inbox watch matches
// on the message store's notification thread, so the two fields are kept under a lock.
class sms_rule_t {
public:
    virtual ~sms_rule_t() = default;

    // Accepts or rejects a text; an accepted text loses the prefix from its front when the prefix test is on.
    virtual bool match(std::u16string& text);
    virtual void set_prefix(std::u16string prefix);
    virtual void set_enabled(bool enabled);

    // "CFM" and the digits after it, where "CFM" opens the text or follows a delimiter; empty if none.
    std::u16string confirmation_code(std::u16string_view text) const;

private:
    mutable std::mutex lock_;
    std::u16string prefix_;
    bool enabled_ = false;
};

// The bank's rule: the base prefix test, then one of the two markers anywhere in the text. The markers
// stay in the text; whoever shows it removes them.
class qlt_sms_rule_t : public sms_rule_t {
public:
    bool match(std::u16string& text) override;
};

// Removes the first occurrence of each marker, the long one first.
void remove_bank_markers(std::u16string& text);

// One of the two markers anywhere in the text: a message from the bank for this program.
bool carries_bank_marker(std::u16string_view text);

// In a message whose parts did not all come, `missing` stands for each lost part. A code whose digits run
// into a lost part may be cut short; it is broken up (a word joiner inside "CFM", which the reader does not
// see) so that confirmation_code never finds it.
void break_cut_codes(std::u16string& text, std::u16string_view missing);
