#include "platform/modem/modem_service.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <utility>

#include "core/text_error.h"
#include "core/u16.h"
#include "resources/texts.h"

namespace {

bool is_hex(std::string_view s) {
    return !s.empty() && s.size() % 2 == 0 && s.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos;
}

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The storages walked besides the one in use: the SIM's and the modem's own.
constexpr const char* walked_storages[] = {"SM", "ME"};

// What the user is told when the modem cannot start: the reason in the user's words when start-up found one
// (its texts are Russian), else that the modem does not answer.
std::u16string user_reason(const std::string& what) {
    const bool worded = std::any_of(what.begin(), what.end(), [](char c) { return (c & 0x80) != 0; });
    return worded ? from_utf8(what) : std::u16string(texts::modem_unreachable);
}

}  // namespace

modem_service_t::modem_service_t(modem_options_t options)
    : options_(std::move(options)),
      own_clock_(options_.clock ? nullptr : std::make_unique<system_modem_clock_t>()),
      clock_(options_.clock ? *options_.clock : *own_clock_),
      ledger_(options_.ledger_file, options_.wall_clock) {
    if (!ledger_.load_warning().empty()) warn(ledger_.load_warning());
}

modem_service_t::~modem_service_t() {
    stop();
}

void modem_service_t::warn(const std::string& text) {
    if (options_.warn) options_.warn(text);
}

void modem_service_t::on_new_messages(std::function<void()> handler) {
    listeners_.on_new_messages(std::move(handler));
}

void modem_service_t::notify(size_t fresh) {
    if (fresh > 0) listeners_.new_messages();
}

void modem_service_t::on_notice(std::function<void(const std::u16string&)> handler) {
    listeners_.on_notice(std::move(handler));
}

void modem_service_t::tell(const std::u16string& notice) {
    listeners_.tell(notice);
}

std::u16string modem_service_t::problem() const {
    std::lock_guard lock(handler_mutex_);
    return problem_;
}

void modem_service_t::set_intake(sms_intake_filter_t intake) {
    {
        std::lock_guard lock(intake_mutex_);
        options_.intake = std::move(intake);
    }
    walk_wanted_ = true;
    wake_.signal();
    if (!thread_.joinable() && engine_) walk();
}

sms_intake_filter_t modem_service_t::intake() const {
    std::lock_guard lock(intake_mutex_);
    return options_.intake;
}

bool modem_service_t::connected() const {
    std::lock_guard lock(link_mutex_);
    return engine_ && engine_->link_up();
}

void modem_service_t::drop_link() {
    std::lock_guard lock(link_mutex_);
    engine_.reset();
    transport_.reset();
}

bool modem_service_t::connect() {
    drop_link();
    try {
        std::unique_ptr<transport_t> transport = options_.connect();
        auto engine = std::make_unique<at_engine_t>(*transport, clock_);
        engine->on_unsolicited([this](const at_urc_t& urc) { on_unsolicited(urc); });
        setup_ = start_modem(*engine);
        std::lock_guard lock(link_mutex_);
        transport_ = std::move(transport);
        engine_ = std::move(engine);
    } catch (const std::exception& e) {
        warn(std::string("modem: ") + e.what());
        {
            std::lock_guard lock(handler_mutex_);
            problem_ = from_utf8(e.what());
        }
        // The first start's failure is told, and a reason in the user's words whenever it comes; a link that
        // drops later is not, since every send says so itself.
        const std::u16string reason = user_reason(e.what());
        if (std::exchange(first_attempt_, false) || reason != texts::modem_unreachable) tell(reason);
        return false;
    }
    {
        std::lock_guard lock(handler_mutex_);
        problem_ = setup_.notices.empty() ? std::u16string() : setup_.notices.front();
    }
    first_attempt_ = false;
    for (const auto& w : setup_.warnings) warn("modem: " + w);
    for (const auto& notice : setup_.notices) tell(notice);
    // Every storage the modem offers is read: a message may wait on the SIM (class 2) while the modem's own
    // memory is in use, or the other way round.
    other_storages_.clear();
    if (!setup_.storage.empty())
        for (const char* name : walked_storages)
            if (name != setup_.storage && contains(setup_.read_storages, name)) other_storages_.insert(name);
    // A full storage is found by the walk's own check, once what is ours has left it.
    storage_was_full_ = false;
    walk();
    return connected();
}

void modem_service_t::on_unsolicited(const at_urc_t& urc) {
    // Only take note here: a command may be running. Both kinds of indication end in the same intake.
    if (urc.name == "+CMTI") {
        walk_wanted_ = true;
        // "+CMTI: "ME",5": a message that landed in another storage than the one read is walked there too.
        const size_t open = urc.args.find('"'), close = urc.args.find('"', open + 1);
        if (open == 0 && close != std::string::npos && close >= 3 && close <= 5) {
            const std::string name = urc.args.substr(1, close - 1);
            const bool plain = name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos;
            if (plain && !setup_.storage.empty() && name != setup_.storage && other_storages_.size() < 4)
                other_storages_.insert(name);
        }
    }
    if (urc.name == "+CMT" && is_hex(urc.pdu) && direct_pdus_.size() < sms_ledger_t::max_parts)
        direct_pdus_.push_back(urc.pdu);
}

bool modem_service_t::walk() {
    walk_wanted_ = false;
    last_walk_ = clock_.now();
    if (!engine_) return false;
    std::set<std::string> listed;
    bool ok = walk_storage({}, listed);
    for (const auto& other : other_storages_) {
        // Reading moves to the other storage for this walk only; the messages keep arriving where they did.
        if (!engine_->run("AT+CPMS=\"" + other + "\"").ok()) {
            ok = false;
            continue;
        }
        ok = walk_storage(other, listed) && ok;
        if (!engine_ || !engine_->run("AT+CPMS=\"" + setup_.storage + "\"").ok()) {
            warn("modem: cannot return to the message storage " + setup_.storage);
            ok = false;
            break;
        }
    }
    // Keys of copies no longer in the modem are forgotten, once every storage has been listed.
    if (ok) ledger_.forget_taken_except(listed);
    if (std::exchange(storage_full_found_, false) && engine_) leave_full_storage();
    // A walk that failed is tried again on its own, sooner at first, then less and less often.
    walk_retry_pause_ =
        ok ? modem_time_t(0) : std::min(walk_retry_longest, std::max(walk_retry_first, walk_retry_pause_ * 2));
    return ok;
}

bool modem_service_t::walk_storage(const std::string& storage, std::set<std::string>& listed) {
    const at_response_t listing = engine_->run("AT+CMGL=4", modem_time_t(30'000));
    if (!listing.ok()) {
        warn("modem: listing the message storage failed");
        return false;
    }
    const message_listing_t stored = parse_message_listing(listing.lines);
    const sms_intake_filter_t filter = intake();
    std::vector<std::pair<int, std::string>> known;
    for (const auto& [index, hex] : stored.pdus) {
        // The storage the modem was set to keeps plain indexes as places; another is named in front.
        const std::string place = (storage.empty() ? "" : storage + ":") + std::to_string(index);
        const std::string key = sms_ledger_t::key_of(hex, place);
        listed.insert(key);
        if (ledger_.take(hex, key, filter))
            known.emplace_back(index, key);
        else
            warn("modem: message " + std::to_string(index) + " cannot be read; left in the modem");
    }
    const size_t fresh = ledger_.settle(filter);
    // Nothing is deleted before the ledger holds it on disk, and only what the intake took.
    if (!save_ledger()) return false;
    for (const auto& [index, key] : known)
        if (ledger_.releasable(key)) engine_->run("AT+CMGD=" + std::to_string(index));
    if (storage.empty()) check_storage_fill();
    notify(fresh);
    if (!stored.complete) {
        // A message may hide behind the noise: the walk does not count, and is tried again soon.
        warn("modem: the listing of the message storage was garbled; reading it again");
        return false;
    }
    return true;
}

bool modem_service_t::save_ledger() {
    const auto fault = ledger_.save();
    if (fault) warn("modem: " + *fault);
    return !fault;
}

void modem_service_t::check_storage_fill() {
    const at_response_t r = engine_->run("AT+CPMS?");
    int used = 0, total = 0;
    if (!r.ok() || r.lines.empty() || !parse_storage_fill(r.lines[0], used, total)) return;
    const bool full = total > 0 && used >= total;
    if (full && !storage_was_full_) {
        warn("modem: " + storage_full_warning(used, total));
        storage_full_found_ = true;
    }
    if (!full && storage_was_full_) {
        // Room again: a storage that fills up later is told about again.
        listeners_.cleared(texts::modem_storage_full);
    }
    storage_was_full_ = full;
}

void modem_service_t::leave_full_storage() {
    const std::string full = setup_.storage;
    for (const char* name : walked_storages) {
        if (name == full || !contains(setup_.read_storages, name) || !contains(setup_.receive_storages, name)) continue;
        const std::string quoted = std::string("\"") + name + "\"";
        const at_response_t r = engine_->run("AT+CPMS=" + quoted + "," + quoted + "," + quoted);
        int used = 0, total = 0;
        const bool room = r.ok() && !r.lines.empty() && parse_storage_fill(r.lines[0], used, total) && used < total;
        if (room) {
            warn("modem: message storage " + full + " is full; new messages now go to " + name);
            setup_.storage = name;
            other_storages_.erase(name);
            other_storages_.insert(full);  // what waits there is still read
            storage_was_full_ = false;
            return;
        }
        if (r.ok()) engine_->run("AT+CPMS=\"" + full + "\",\"" + full + "\",\"" + full + "\"");
    }
    tell(texts::modem_storage_full);
}

std::string modem_service_t::direct_place() {
    const auto wall = std::chrono::system_clock::now().time_since_epoch();
    return "direct " + std::to_string(std::chrono::duration_cast<std::chrono::microseconds>(wall).count()) + " " +
           std::to_string(++direct_count_);
}

void modem_service_t::handle_announced() {
    if (!direct_pdus_.empty()) {
        const std::vector<std::string> pdus = std::move(direct_pdus_);
        direct_pdus_.clear();
        // The modem keeps no copy of these: whatever the intake would leave is kept in the ledger instead.
        const sms_intake_filter_t filter = intake();
        const sms_intake_filter_t keep_all = [&filter](const std::u16string& text) {
            const sms_intake_t verdict = filter ? filter(text) : sms_intake_t::leave;
            return verdict == sms_intake_t::leave ? sms_intake_t::keep : verdict;
        };
        for (const auto& hex : pdus)
            if (!ledger_.take(hex, sms_ledger_t::key_of(hex, direct_place()), keep_all))
                warn("modem: a directly delivered message cannot be read");
        const size_t fresh = ledger_.settle(keep_all);
        save_ledger();
        notify(fresh);
    }
    if (walk_wanted_ || clock_.now() >= next_walk_due()) walk();
}

modem_time_t modem_service_t::next_walk_due() const {
    modem_time_t due = modem_never;
    // A failed walk is tried again on its own; a modem that announces nothing is walked now and then.
    if (walk_retry_pause_ > modem_time_t(0)) due = last_walk_ + walk_retry_pause_;
    if (setup_.indications == sms_indications_t::none) due = std::min(due, last_walk_ + walk_interval);
    return due;
}

void modem_service_t::pump(modem_time_t duration) {
    if (!engine_) return;
    engine_->poll(duration);
    handle_announced();
}

namespace {

// What the answer to one part says of it: whether the network took it, refused it, or may have taken it.
send_outcome_t outcome_of_part(const at_response_t& r) {
    // Nothing was handed over: a refusal before the prompt, a prompt that never came, a withdrawal, or a final
    // result that came in place of the prompt. Nothing can have left.
    if (!r.data_written) return send_outcome_t::not_sent;
    if (r.ok()) {
        // Only the reference proves that the network took it; "OK" alone may be a late answer of something else.
        for (const auto& line : r.lines)
            if (line.starts_with("+CMGS:")) return send_outcome_t::sent;
        return send_outcome_t::unknown;
    }
    // A message service error with a cause that says the network took nothing; anything else after the data
    // (a time-out, a lost link, "ERROR" without a cause, an ambiguous cause) leaves it open.
    if (r.status == at_status_t::cms_error && classify_cms_error(r.code) != cms_class_t::unknown)
        return send_outcome_t::not_sent;
    return send_outcome_t::unknown;
}

std::string describe(const at_response_t& r) {
    static constexpr const char* class_names[] = {"temporary", "refused", "modem unusable", "may have been sent"};
    if (r.withdrawn) return "withdrawn at the prompt";
    switch (r.status) {
        case at_status_t::cms_error:
            return "+CMS ERROR: " + std::to_string(r.code) + " (" + class_names[int(classify_cms_error(r.code))] + ")";
        case at_status_t::timeout:
            return r.data_written ? "modem did not acknowledge in time" : "modem did not answer in time";
        case at_status_t::link_down:
            return "modem link is down";
        case at_status_t::ok:
            return r.data_written ? "modem answered OK without a message reference"
                                  : "modem answered before its prompt";
        default:
            return "modem refused the message";
    }
}

}  // namespace

send_result_t modem_service_t::send_now(const sms_outgoing_t& message, send_control_t* control) {
    send_result_t result;
    if (control && control->withdrawn()) {
        result.error = "withdrawn before it started";
        return result;
    }
    if (!connected()) {
        result.error = "modem not connected";
        return result;
    }
    std::vector<encoded_pdu_t> parts;
    sms_outgoing_t numbered = message;
    numbered.reference = next_reference_++;
    try {
        parts = encode_submit(numbered);
    } catch (const text_error_t& e) {
        result.error = e.what();
        return result;
    }
    const std::function<bool()> may_write = [control] { return !control || control->begin_write(); };
    for (size_t i = 0; i < parts.size(); ++i) {
        const auto& part = parts[i];
        at_response_t r;
        for (int attempt = 0;; ++attempt) {
            r = engine_->run_with_data("AT+CMGS=" + std::to_string(part.tpdu_length), part.hex,
                                       options_.send_answer_wait, may_write);
            if (r.data_written) ++result.pdus_written;
            // A temporary refusal that proves nothing left (congestion, SIM busy) is worth a second try a
            // little later. An error that may come after the message left is never repeated here: a
            // payment must not go twice; the user is told instead.
            if (r.status != at_status_t::cms_error || classify_cms_error(r.code) != cms_class_t::retry ||
                attempt == send_retries)
                break;
            engine_->poll(send_retry_pause);
        }
        const send_outcome_t part_outcome = outcome_of_part(r);
        if (part_outcome == send_outcome_t::sent) {
            int reference = -1;
            for (const auto& line : r.lines)
                if (line.starts_with("+CMGS:")) reference = std::atoi(line.c_str() + 6);
            result.references.push_back(reference);
            continue;
        }
        // A part that did not leave after earlier ones did leaves the request neither sent nor not sent.
        result.outcome =
            part_outcome == send_outcome_t::not_sent && i == 0 ? send_outcome_t::not_sent : send_outcome_t::unknown;
        result.error = describe(r) + (parts.size() > 1
                                          ? " at part " + std::to_string(i + 1) + " of " + std::to_string(parts.size())
                                          : std::string());
        // A modem that cannot do SMS any more is started afresh before the next use.
        if (r.status == at_status_t::cms_error && classify_cms_error(r.code) == cms_class_t::broken) {
            warn("modem: " + result.error + "; starting the modem again");
            handle_announced();
            drop_link();
            return result;
        }
        handle_announced();
        return result;
    }
    result.outcome = send_outcome_t::sent;
    // Messages announced during the send are taken in now that the modem is free.
    handle_announced();
    return result;
}

void modem_service_t::start() {
    if (thread_.joinable()) return;
    stopping_ = false;
    thread_ = std::thread([this] { loop(); });
}

void modem_service_t::stop() {
    {
        std::lock_guard lock(queue_mutex_);
        stopping_ = true;
    }
    queue_changed_.notify_all();
    wake_.signal();
    if (thread_.joinable()) thread_.join();
    // Whoever still waits learns that nothing was sent, and nothing is.
    std::lock_guard lock(queue_mutex_);
    for (auto& job : queue_) fail_unsent(*job, "modem service stopped; not sent");
    queue_.clear();
    stopping_ = false;  // single-threaded use may follow
    queue_changed_.notify_all();
}

size_t modem_service_t::pending_sends() const {
    std::lock_guard lock(queue_mutex_);
    return queue_.size();
}

bool modem_service_t::stopping() const {
    std::lock_guard lock(queue_mutex_);
    return stopping_;
}

namespace {

send_result_t not_sent(const std::string& why) {
    send_result_t result;
    result.error = why;
    return result;
}

}  // namespace

void modem_service_t::fail_unsent(send_job_t& job, const std::string& why) {
    job.outcome.set_value(not_sent(why));
}

send_result_t modem_service_t::send(const sms_outgoing_t& message, std::shared_ptr<send_control_t> control) {
    auto job = std::make_shared<send_job_t>();
    job->message = message;
    job->control = std::move(control);
    auto outcome = job->outcome.get_future();
    {
        std::unique_lock lock(queue_mutex_);
        if (stopping_) return not_sent("modem service stopped; not sent");
        if (!thread_.joinable()) {
            lock.unlock();
            return send_now(message, job->control.get());
        }
        queue_.push_back(job);
        queue_changed_.notify_all();
        wake_.signal();
        const bool withdrawn_or_started = queue_changed_.wait_for(lock, options_.send_start_wait, [&] {
            return job->started || (job->control && job->control->withdrawn()) ||
                   outcome.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        });
        if (!job->started && outcome.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            // Taken off the queue before it started: it can no longer leave after the caller was told "not sent".
            std::erase(queue_, job);
            return not_sent(withdrawn_or_started ? "withdrawn before it started" : "modem busy; not sent");
        }
    }
    return outcome.get();
}

bool modem_service_t::withdraw(send_control_t& control) {
    const bool whole = control.withdraw();
    { std::lock_guard lock(queue_mutex_); }  // a sender waiting on the queue sees the withdrawal when it looks
    queue_changed_.notify_all();
    return whole;
}

void modem_service_t::loop() {
    for (;;) {
        // Cleared before looking, so that whatever is signalled from here on ends the next wait.
        wake_.clear();
        {
            std::lock_guard lock(queue_mutex_);
            if (stopping_) return;
        }
        if (!connected() && !connect()) {
            // Sends fail at once while there is no modem, instead of waiting for one.
            std::unique_lock lock(queue_mutex_);
            for (auto& job : queue_) fail_unsent(*job, "modem not connected");
            queue_.clear();
            queue_changed_.notify_all();
            queue_changed_.wait_for(lock, reconnect_delay, [this] { return stopping_; });
            continue;
        }
        for (;;) {
            std::shared_ptr<send_job_t> job;
            {
                std::lock_guard lock(queue_mutex_);
                if (queue_.empty() || stopping_) break;
                job = std::move(queue_.front());
                queue_.pop_front();
                job->started = true;
            }
            queue_changed_.notify_all();
            job->outcome.set_value(send_now(job->message, job->control.get()));
        }
        if (!engine_) continue;  // dropped by a send: started again at once
        handle_announced();
        // An indication that came while the storage was walked wants another walk before any sleep.
        if (walk_wanted_ || !direct_pdus_.empty()) continue;
        engine_->wait(next_walk_due(), wake_.fd());
    }
}
