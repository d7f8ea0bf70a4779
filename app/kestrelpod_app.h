#pragma once

#include <QMenu>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/app_options.h"
#include "app/messaging_host.h"
#include "app/modem_messaging.h"
#include "messaging/sms_handler.h"
#include "messaging/sms_rule.h"
#include "screens/ppc_device.h"

class CMainFrame;
class desktop_notifier_t;
class login_ui_t;
class main_tag_t;
class mfc_storage_t;
class ppc_display_t;
class ppc_messaging_t;
class single_instance_t;

// The application: owns every long-lived object and runs the start-up and the exit in their order. The steps are
// called by main() (and by the tests) as the framework would call them: init_application (one copy only),
// init_instance (main window, messaging, PIN login, display, script), the event loop, exit_instance (the settings
// written back), the destructor.
class CKestrelpodApp : public QObject, public confirm_handler_t {
    Q_OBJECT

public:
    static constexpr char16_t single_instance_name[] = u"Quillantora {5C0D2B7E-93A1-4F6B-8E2D-1A7C3F9B6D04}";
    static constexpr int ping_replay_delay_ms = 200;

    // The script folder is the options' one, else found by the rule of platform/folders/user_folders.h.
    // `messaging` builds the messaging at start; empty: the modem the options name.
    explicit CKestrelpodApp(app_options_t options, messaging_factory_t messaging = {});
    ~CKestrelpodApp() override;

    // False when another copy runs: that copy was pinged (and comes to the front), and this process ends with 0.
    bool init_application();
    // Shows the main window and starts the system; false when the program cannot run and must end.
    bool init_instance();
    // Writes the settings back unless the start failed.
    void exit_instance();

    // A dynamic menu command (37001 to 37100); on a touch screen the menu is filled again afterwards.
    void on_command(int id);
    // The "Меню" soft key on a keypad phone: a new popup menu, filled and shown.
    void on_menu_key();
    // Bank messages queued in the registry while the program was not looking (touch-screen devices only).
    void replay_queued();
    // Shows each text and offers to confirm payments; `seen` is told of each once its box is closed or its
    // question answered. Any thread: the work is done on the GUI thread.
    void confirm_messages(std::vector<std::u16string> texts, sms_rule_t& rule, seen_t seen = {}) override;
    // The same, on the GUI thread: before returning, unless a sending dialog is up or other bank messages are on
    // screen; those are answered first, and these follow when the send has ended. The rule must live as long as
    // the application.
    void show_messages(const std::vector<std::u16string>& texts, sms_rule_t& rule, seen_t seen = {});

    // For the scenario runner: what the modem is told and sends, and each bank text as it is shown. Set before
    // init_instance.
    void set_messaging_hooks(modem_messaging_hooks_t hooks) { hooks_ = std::move(hooks); }
    void set_bank_text_observer(std::function<void(const std::u16string&)> observer) {
        bank_text_observer_ = std::move(observer);
    }

    // For the tests and the main window.
    const std::u16string& config_dir() const { return config_dir_; }
    const std::filesystem::path& registry() const { return registry_; }
    bool initialised() const { return initialised_; }
    bool is_smartphone() const { return is_smartphone_; }
    bool no_save() const { return no_save_; }
    bool has_picture() const { return has_picture_; }
    CMainFrame* frame() const { return frame_.get(); }
    QMenu* menu() const { return menu_; }
    main_tag_t* root() const { return root_.get(); }
    ppc_display_t* display() const { return display_.get(); }
    ppc_messaging_t* messaging() const;
    mfc_storage_t* settings_storage() const { return settings_storage_; }
    single_instance_t* instance() const { return instance_.get(); }

private:
    // A batch of bank texts, or a notice about the SMS system (no rule), waiting to be shown.
    struct pending_t {
        std::vector<std::u16string> texts;
        sms_rule_t* rule = nullptr;
        seen_t seen;
    };
    // Shows what waits, in order of arrival, unless the start is not over, a sending dialog is up, or this is
    // already being done further up the stack: a bank message is never answered inside a send.
    void show_pending();
    // Shows one bank text (asks, and sends the code, for a confirmation); `seen` once the user has answered.
    void show_bank_text(const std::u16string& text, sms_rule_t& rule, const std::function<void()>& seen);
    bool start_system();
    bool load_script();
    void load_picture();
    void fill_menu();
    void save_settings();
    void on_pinged();
    void connect_menu(QMenu* menu);
    void show_error(const std::u16string& text);
    // Sends a payment's confirmation code and tells the user how it ended.
    void send_confirmation_code(const std::u16string& code);
    void warn(const std::string& text) const;
    bool reinstall_flag_present();

    app_options_t options_;
    messaging_factory_t make_messaging_;
    modem_messaging_hooks_t hooks_;
    std::function<void(const std::u16string&)> bank_text_observer_;

    QPixmap background_;
    bool has_picture_ = false;
    bool initialised_ = false;
    bool is_smartphone_ = true;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<main_tag_t> root_;
    std::unique_ptr<ppc_display_t> display_;
    std::unique_ptr<messaging_host_t> messaging_;
    std::unique_ptr<mfc_storage_t> defaults_storage_;
    std::unique_ptr<mfc_storage_t> own_settings_storage_;
    mfc_storage_t* settings_storage_ = nullptr;
    std::u16string config_dir_;
    bool no_save_ = false;
    QPointer<QMenu> menu_;

    ppc_device_t device_;
    std::filesystem::path registry_;
    std::unique_ptr<single_instance_t> instance_;
    // The message routing of a touch-screen device: bank texts into the registry queue, then a replay.
    std::unique_ptr<confirm_handler_t> router_;
    std::deque<pending_t> pending_;
    bool showing_ = false;                     // show_pending runs further up the stack
    bool ready_to_show_ = false;               // the start is over (the PIN asked, the script loaded)
    qlt_sms_rule_t queue_rule_;                // the rule of the registry queue's texts
    std::set<std::u16string> queued_on_hand_;  // names of queued values read and not yet seen
    // Bank messages announced on the desktop while the window is not in front.
    std::unique_ptr<desktop_notifier_t> notifier_;
};
