#include "app/kestrelpod_app.h"

#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <iostream>

#include "app/desktop_notifier.h"
#include "app/kestrelpod_view.h"
#include "app/main_frame.h"
#include "app/modem_messaging.h"
#include "app/pin_dialogs.h"
#include "app/startup_trace.h"
#include "core/text_error.h"
#include "core/u16.h"
#include "messaging/ppc_mapi_ex.h"
#include "messaging/ppc_messaging.h"
#include "messaging/sms_rule.h"
#include "platform/device/platform_type.h"
#include "platform/folders/user_folders.h"
#include "platform/instance/single_instance.h"
#include "platform/registry/bank_queue.h"
#include "platform/registry/registry.h"
#include "resources/texts.h"
#include "screens/message_box.h"
#include "screens/ppc_display.h"
#include "script/factory.h"
#include "script/main_tag.h"
#include "script/script_context.h"
#include "script/tag.h"
#include "script/tag_codes.h"
#include "storage/login.h"
#include "storage/mfc_storage.h"
#include "storage/storage_errors.h"

namespace {

constexpr char16_t settings_name[] = u"settings.cfg";
constexpr char16_t defaults_name[] = u"config.cfg";

// The script folder by the one rule (platform/folders/user_folders.h), always ending in "/".
std::u16string config_folder(const app_options_t& options) {
    std::u16string folder = from_utf8(script_folder(options.config_dir, process_folder_environment()).string());
    if (folder.empty() || folder.back() != u'/') folder += u'/';
    return folder;
}

// The logo's file name as the script gives it: the "Src" of the "Image" in the root's "Logo"; empty without one.
std::u16string logo_source(const tag_complex_t& root) {
    auto child = [](const tag_t& parent, int32_t code) -> const tag_t* {
        const auto* complex = dynamic_cast<const tag_complex_t*>(&parent);
        if (complex)
            for (const auto& tag : complex->children)
                if (tag->code == code) return tag.get();
        return nullptr;
    };
    const tag_t* logo = child(root, tags::Logo);
    const tag_t* image = logo ? child(*logo, tags::Image) : nullptr;
    const auto* src = dynamic_cast<const tag_simple_t*>(image ? child(*image, tags::Src) : nullptr);
    return src ? src->text : std::u16string();
}

// The message routing of a touch-screen device: every bank text the modem brings is put into the registry queue,
// and the application is told to replay it, as the device's own routing would do.
class queue_router_t : public confirm_handler_t {
public:
    queue_router_t(std::filesystem::path registry, CKestrelpodApp& app, std::function<void(const std::string&)> warn)
        : registry_(std::move(registry)), app_(&app), warn_(std::move(warn)) {}

    void confirm_messages(std::vector<std::u16string> texts, sms_rule_t&, seen_t seen) override {
        for (size_t i = 0; i < texts.size(); ++i) {
            // Once in the queue the text is the queue's: it waits there until it is shown.
            if (queue_bank_text(registry_, texts[i])) {
                if (seen) seen(i);
            } else {
                warn_("a bank message could not be queued in " + registry_.string());
            }
        }
        QMetaObject::invokeMethod(
            app_, [app = app_] { app->replay_queued(); }, Qt::QueuedConnection);
    }

private:
    std::filesystem::path registry_;
    CKestrelpodApp* app_;
    std::function<void(const std::string&)> warn_;
};

}  // namespace

CKestrelpodApp::CKestrelpodApp(app_options_t options, messaging_factory_t messaging)
    : options_(std::move(options)), make_messaging_(std::move(messaging)) {
    is_smartphone_ = is_smartphone_type(platform_type(options_.platform_type));
    device_.soft_keys = is_smartphone_;
    device_.screen = options_.screen;
    registry_ = registry_root(options_.registry);
    notifier_ = std::make_unique<desktop_notifier_t>([this] {
        if (frame_) frame_->bring_to_front();
    });
    if (!make_messaging_) {
        make_messaging_ = [this]() -> std::unique_ptr<messaging_host_t> {
            return std::make_unique<modem_messaging_t>(
                options_.modem, std::filesystem::path(config_dir_ + u"bank-rules.txt"), options_.verbose, hooks_);
        };
    }
}

CKestrelpodApp::~CKestrelpodApp() {
    if (ready_to_show_) message_box_t::on_closed(nullptr);
    root_.reset();
    own_settings_storage_.reset();
    defaults_storage_.reset();
    settings_storage_ = nullptr;
    display_.reset();
    messaging_.reset();
    router_.reset();
    delete menu_;
    frame_.reset();
    instance_.reset();
}

ppc_messaging_t* CKestrelpodApp::messaging() const {
    return messaging_ ? &messaging_->messaging() : nullptr;
}

bool CKestrelpodApp::init_application() {
    instance_ = std::make_unique<single_instance_t>(QString::fromUtf16(single_instance_name));
    if (instance_->claim()) {
        connect(instance_.get(), &single_instance_t::pinged, this, [this] { on_pinged(); });
        return true;
    }
    const bool answered = instance_->ping_running(ping_replay_delay_ms);
    warn(answered ? "another copy runs and was brought to the front" : "another copy runs but did not answer");
    instance_.reset();
    return false;
}

bool CKestrelpodApp::init_instance() {
    frame_ = std::make_unique<CMainFrame>(device_);
    connect(frame_.get(), &CMainFrame::menu_key_pressed, this, [this] { on_menu_key(); });
    frame_->show();
    const bool ok = start_system();
    if (ok) startup_trace::mark_next_paint(frame_.get(), "main window shown");
    frame_->update();
    initialised_ = true;
    if (ok) replay_queued();
    return ok;
}

bool CKestrelpodApp::start_system() {
    config_dir_ = config_folder(options_);
    no_save_ = false;
    try {
        messaging_ = make_messaging_();
        // What the modem finds at its start (on its own thread) is shown once the start is over.
        messaging_->on_notice([this](const std::u16string& notice) {
            QMetaObject::invokeMethod(
                this,
                [this, notice] {
                    pending_.push_back({{notice}, nullptr, {}});
                    show_pending();
                },
                Qt::QueuedConnection);
        });
        // The modem's thread starts once the event loop turns in the PIN dialog, which is then on the screen: its
        // start takes nothing from the first window's.
        QTimer::singleShot(0, this, [this] {
            if (messaging_) messaging_->start();
        });
    } catch (const std::exception& e) {
        warn(std::string("the SMS system could not be opened: ") + e.what());
        message_box_t::show(frame_.get(), message_box_t::icon_t::error,
                            QString::fromUtf16(texts::messaging_start_failed));
        no_save_ = true;
        return false;
    }
    {
        pin_login_ui_t ui(device_, frame_.get());
        login_t login(config_dir_, ui);
        if (!login.open_settings(settings_name, defaults_name)) {
            no_save_ = true;
            return false;
        }
        defaults_storage_ = std::move(login.defaults_storage);
        own_settings_storage_ = std::move(login.own_settings_storage);
        settings_storage_ = own_settings_storage_ ? own_settings_storage_.get() : defaults_storage_.get();
    }
    if (!is_smartphone_) {
        menu_ = new QMenu(frame_.get());
        frame_->menu_key()->setMenu(menu_);
        connect_menu(menu_);
    }
    display_ = std::make_unique<ppc_display_t>(device_, frame_.get());
    display_->set_script_folder(config_dir_);
    if (!load_script()) {
        no_save_ = true;
        return false;
    }
    load_picture();
    messaging_->start();  // already running unless no event loop has turned yet
    ppc_messaging_t& messaging = messaging_->messaging();
    // Bank messages that came during a send are shown once its dialog has ended, from the main loop.
    messaging.on_send_ended([this] {
        QMetaObject::invokeMethod(
            this, [this] { show_pending(); }, Qt::QueuedConnection);
    });
    message_box_t::on_closed([this] {
        QMetaObject::invokeMethod(
            this, [this] { show_pending(); }, Qt::QueuedConnection);
    });
    ready_to_show_ = true;
    QMetaObject::invokeMethod(
        this, [this] { show_pending(); }, Qt::QueuedConnection);
    if (is_smartphone_) {
        if (!messaging.start_watch(*this)) warn("the inbox cannot be watched");
        messaging.deliver();
    } else {
        // The bank's answers reach a touch-screen device through the queue.
        router_ = std::make_unique<queue_router_t>(registry_, *this, [this](const std::string& text) { warn(text); });
        if (!messaging.start_watch(*router_)) warn("the inbox cannot be watched");
        messaging.deliver();
        fill_menu();
    }
    return true;
}

bool CKestrelpodApp::load_script() {
    std::unique_ptr<tag_t> tag = create_tag_by_name(u"MenuApplet", nullptr);
    auto* root = dynamic_cast<main_tag_t*>(tag.get());
    if (!root) return false;
    tag.release();
    root_.reset(root);
    try {
        root_->set_display(display_.get());
        root_->set_messaging(&messaging_->messaging());
        root_->set_storages(defaults_storage_.get(), settings_storage_, reinstall_flag_present());
        root_->load();
        root_->link();
        return true;
    } catch (const std::exception& e) {
        // The settings stay as they are: nothing is written at exit.
        auto* storage = dynamic_cast<mfc_storage_t*>(script_context.current_storage);
        const std::u16string file = storage ? storage->path() : config_dir_ + defaults_name;
        const auto* text = dynamic_cast<const text_error_t*>(&e);
        show_error(format_text(texts::script_load_failed, {file, text ? text->text() : from_utf8(e.what())}));
        return false;
    }
}

void CKestrelpodApp::load_picture() {
    // No tag hands the logo to the display; the shell takes it from the script's "Logo" for the display.
    if (display_->logo_image().empty()) display_->set_logo_image(logo_source(*root_));
    has_picture_ = true;
    const std::u16string logo = display_->logo_image();
    if (logo.empty() || !background_.load(QString::fromStdU16String(config_dir_ + logo))) has_picture_ = false;
    frame_->view()->set_picture(has_picture_ ? background_ : QPixmap());
}

bool CKestrelpodApp::reinstall_flag_present() {
    const auto key = registry_key_t::open(registry_, application_key);
    if (!key) return false;
    std::string data;
    // Only the marker's presence counts, whatever its data.
    const bool present = key->query(reinstall_value, data, queue_max_bytes) ||
                         std::filesystem::exists(key->folder() / to_utf8(reinstall_value));
    key->remove(reinstall_value);
    return present;
}

void CKestrelpodApp::connect_menu(QMenu* menu) {
    // The command runs after the menu has closed: it may rebuild this very menu.
    connect(menu, &QMenu::triggered, this, [this](QAction* action) {
        const int id = action->data().toInt();
        QMetaObject::invokeMethod(
            this, [this, id] { on_command(id); }, Qt::QueuedConnection);
    });
}

void CKestrelpodApp::fill_menu() {
    display_->reset_menu(menu_);
    try {
        root_->show();
    } catch (const text_error_t& e) {
        message_box_t::show(frame_.get(), message_box_t::icon_t::information, QString::fromStdU16String(e.text()));
    }
}

void CKestrelpodApp::on_command(int id) {
    if (id < ppc_display_t::first_command || id > ppc_display_t::last_command || !display_) return;
    display_->dispatch_command(id);
    if (!is_smartphone_) fill_menu();
}

void CKestrelpodApp::on_menu_key() {
    if (!is_smartphone_ || !display_ || !root_) return;
    delete menu_;
    menu_ = new QMenu(frame_.get());
    connect_menu(menu_);
    display_->reset_menu(menu_);
    try {
        root_->show();
    } catch (const text_error_t& e) {
        message_box_t::show(frame_.get(), message_box_t::icon_t::information, QString::fromStdU16String(e.text()));
    }
    // Centred on the window, its bottom on the window's bottom edge.
    const QSize size = menu_->sizeHint();
    menu_->popup(frame_->mapToGlobal(QPoint(frame_->width() / 2 - size.width() / 2, frame_->height() - size.height())));
}

void CKestrelpodApp::on_pinged() {
    if (frame_) frame_->bring_to_front();
    if (initialised_) QTimer::singleShot(ping_replay_delay_ms, this, [this] { replay_queued(); });
}

void CKestrelpodApp::replay_queued() {
    if (is_smartphone_) return;
    // A queued text leaves the queue only once it has been seen: a program that ends while it is on screen shows
    // it again at the next start. Those already waiting to be shown are not taken twice.
    std::vector<std::u16string> texts;
    std::vector<std::u16string> names;
    for (auto& value : read_queued_texts(registry_, [this](const std::string& text) { warn(text); })) {
        if (!queued_on_hand_.insert(value.name).second) continue;
        remove_bank_markers(value.text);
        texts.push_back(std::move(value.text));
        names.push_back(std::move(value.name));
    }
    show_messages(texts, queue_rule_, [this, names](size_t i) {
        if (i >= names.size()) return;
        remove_queued_text(registry_, names[i]);
        queued_on_hand_.erase(names[i]);
    });
}

void CKestrelpodApp::confirm_messages(std::vector<std::u16string> texts, sms_rule_t& rule, seen_t seen) {
    QMetaObject::invokeMethod(
        this, [this, texts = std::move(texts), &rule, seen = std::move(seen)] { show_messages(texts, rule, seen); },
        Qt::QueuedConnection);
}

void CKestrelpodApp::show_messages(const std::vector<std::u16string>& texts, sms_rule_t& rule, seen_t seen) {
    if (texts.empty()) return;
    pending_.push_back({texts, &rule, std::move(seen)});
    show_pending();
}

void CKestrelpodApp::show_pending() {
    ppc_messaging_t* sender = messaging();
    // Inside a sending dialog's loop the answer to a confirmation could not be sent; inside a box of ours the
    // next text waits for the user's answer; a box of the script's (a send's "sent") is answered first. The end of
    // the send, or of the box, comes back here.
    if (showing_ || !ready_to_show_ || (sender && sender->sending()) || message_box_t::open_boxes() > 0) return;
    showing_ = true;
    while (!pending_.empty()) {
        pending_t item = std::move(pending_.front());
        pending_.pop_front();
        if (!item.rule) {
            for (const auto& notice : item.texts) show_error(notice);
            continue;
        }
        for (size_t i = 0; i < item.texts.size(); ++i)
            show_bank_text(item.texts[i], *item.rule, [&item, i] {
                if (item.seen) item.seen(i);
            });
    }
    showing_ = false;
}

void CKestrelpodApp::show_bank_text(const std::u16string& text, sms_rule_t& rule, const std::function<void()>& seen) {
    if (bank_text_observer_) bank_text_observer_(text);
    const std::u16string code = rule.confirmation_code(text);
    notifier_->bank_message(frame_.get(), text, !code.empty());
    if (code.empty()) {
        message_box_t::show(frame_.get(), message_box_t::icon_t::information, QString::fromStdU16String(text));
        seen();
        return;
    }
    const std::u16string question = texts::confirm_payment_before + text + texts::confirm_payment_after;
    const bool yes = message_box_t::show(frame_.get(), message_box_t::icon_t::question,
                                         QString::fromStdU16String(question)) == QMessageBox::Yes;
    // Handled once answered, before the code leaves: a program that dies during that send must not ask again and
    // so send the code a second time.
    seen();
    if (!yes) return;
    // The code goes out as a send of its own, never from inside another one (show_pending sees to that).
    send_confirmation_code(code);
}

void CKestrelpodApp::send_confirmation_code(const std::u16string& code) {
    ppc_messaging_t* sender = messaging();
    if (!sender) {
        show_error(texts::send_failed_check_bank_number);
        return;
    }
    sender->set_text(code);
    // A code that may have reached the bank is told as such and never sent again without the user's explicit choice.
    send_outcome_t outcome = sender->send_for_outcome();
    while (outcome == send_outcome_t::unknown) {
        message_box_t::show(frame_.get(), message_box_t::icon_t::information,
                            QString::fromStdU16String(texts::confirm_code_unknown));
        if (message_box_t::show(frame_.get(), message_box_t::icon_t::risky_question,
                                QString::fromStdU16String(texts::confirm_code_repeat_question)) != QMessageBox::Yes)
            return;
        outcome = sender->send_for_outcome();
    }
    if (outcome == send_outcome_t::not_sent) show_error(texts::send_failed_check_bank_number);
}

void CKestrelpodApp::exit_instance() {
    if (!no_save_ && settings_storage_ && root_) save_settings();
    delete menu_;
}

void CKestrelpodApp::save_settings() {
    // The new file takes the old one's place only once all of it is written and closed; a failure on the way
    // leaves the old settings, and the user is told.
    try {
        root_->commit();
        if (!settings_storage_->open(config_dir_ + settings_name, mfc_storage_t::mode_write)) {
            show_error(format_text(texts::settings_not_saved, {settings_storage_->last_error}));
            return;
        }
        root_->save();
        if (!settings_storage_->close())
            show_error(format_text(texts::settings_not_saved, {settings_storage_->last_error}));
    } catch (const text_error_t& e) {
        // The unfinished write is dropped with the storage.
        show_error(format_text(texts::settings_not_saved, {e.text()}));
    } catch (const std::exception& e) {
        show_error(format_text(texts::settings_not_saved, {from_utf8(e.what())}));
    }
}

void CKestrelpodApp::show_error(const std::u16string& text) {
    warn(to_utf8(text));
    message_box_t::show(frame_.get(), message_box_t::icon_t::error, QString::fromStdU16String(text));
}

void CKestrelpodApp::warn(const std::string& text) const {
    if (options_.verbose) std::cerr << "ostrevan: " << text << '\n';
}
