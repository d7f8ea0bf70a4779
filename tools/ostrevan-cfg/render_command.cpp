// ostrevan-cfg render SCRIPT -o DIR [--platform-type NAME] [--screen WxH] [--pin PIN]
//
// Opens the form of every script item, in menu order, and the add forms that its card selections offer, on the
// program's own screens, and writes each form that comes up as a PNG with an index.html that shows them under
// the item's menu path. The script runs as in the program, without a modem (an SMS never leaves), without a
// PIN and without writing any settings: message boxes that come up are answered "No" (or "OK") and listed.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "commands.h"
#include "core/text_error.h"
#include "core/u16.h"
#include "messaging/messaging.h"
#include "platform/device/platform_type.h"
#include "render_index.h"
#include "resources/texts.h"
#include "screens/ppc_display.h"
#include "screens/ppc_form.h"
#include "screens/qt_translations.h"
#include "script/factory.h"
#include "script/menu_applet_tag.h"
#include "script/menu_tags.h"
#include "script/script_context.h"
#include "script/select_tags.h"
#include "script/tag_codes.h"
#include "script_source.h"
#include "storage/mfc_storage.h"
#include "tools/script-lint/lint_rules.h"
#include "vars/card_list_var.h"

// The checker counts commands and menu entries as the screens offer them.
static_assert(lint::form_commands_shown == ppc_form_t::max_buttons);
static_assert(lint::menu_commands_run == ppc_display_t::last_command - ppc_display_t::first_command + 1);

namespace {

// Messaging that sends nothing: a send the script starts fails, and the question to retry is answered "No".
class no_messaging_t : public messaging_t {
public:
    void set_text(const std::u16string&) override {}
    void set_number(const std::u16string&) override {}
    bool send() override { return false; }
    void set_port(const std::u16string&) override {}
    void set_port_present(bool) override {}
    void set_suffix(const std::u16string&) override {}
    void set_version(const std::u16string&) override {}
};

struct options_t {
    QString input, out_dir;
    std::optional<std::string> platform_type;
    screen_size_t screen;
    std::u16string pin;
};

std::optional<options_t> parse_options(int argc, char** argv) {
    options_t options;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "-o" && has_value) {
            options.out_dir = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == "--platform-type" && has_value) {
            options.platform_type = argv[++i];
        } else if (arg == "--screen" && has_value) {
            const auto size = parse_screen_size(argv[++i]);
            if (!size) return std::nullopt;
            options.screen = *size;
        } else if (arg == "--pin" && has_value) {
            options.pin = from_utf8(argv[++i]);
        } else if (options.input.isEmpty() && !arg.empty() && arg[0] != '-') {
            options.input = QString::fromLocal8Bit(argv[i]);
        } else {
            return std::nullopt;
        }
    }
    if (options.input.isEmpty() || options.out_dir.isEmpty()) return std::nullopt;
    return options;
}

std::u16string name_of(const tag_complex_t& tag) {
    for (const auto& child : tag.children)
        if (child->code == tags::Name) return static_cast<const tag_simple_t&>(*child).text;
    return {};
}

void collect_tags(tag_t& tag, int32_t code, std::vector<tag_t*>& found) {
    if (tag.code == code) found.push_back(&tag);
    if (auto* node = dynamic_cast<tag_complex_t*>(&tag))
        for (auto& child : node->children) collect_tags(*child, code, found);
}

// Takes the pictures: answers every message box and photographs every form that comes up, then ends it with
// the Back key. A timer looks at the window in front while the form's or box's own loop runs.
class camera_t {
public:
    camera_t(QString dir, road_t& road, int& pictures) : dir_(std::move(dir)), road_(road), pictures_(pictures) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
        timer_.start();
    }

private:
    void look() {
        QWidget* front = QApplication::activeModalWidget();
        if (!front) return;
        if (auto* box = qobject_cast<QMessageBox*>(front)) {
            road_.messages.push_back(box->text().toStdU16String());
            QAbstractButton* answer = box->button(QMessageBox::No);
            if (!answer) answer = box->button(QMessageBox::Ok);
            if (answer)
                answer->click();
            else
                box->done(0);
            return;
        }
        auto* form = qobject_cast<ppc_form_t*>(front);
        if (!form) {
            // A window of an item (a drop-down list) has nothing to do with the form's picture.
            front->close();
            return;
        }
        // The form is photographed once it has been laid out and painted, on the next look.
        if (form != seen_) {
            seen_ = form;
            return;
        }
        seen_ = nullptr;
        const QString file = QStringLiteral("form-%1.png").arg(++pictures_, 2, 10, QLatin1Char('0'));
        std::vector<std::u16string> commands;
        for (const QAction* command : form->options_menu()->actions())
            commands.push_back(command->text().toStdU16String());
        if (form->grab().save(dir_ + QLatin1Char('/') + file))
            road_.pictures.push_back({form->title(), file.toStdU16String(), std::move(commands)});
        else
            road_.failure = format_text(texts::cfg_cannot_write, {(dir_ + QLatin1Char('/') + file).toStdU16String()});
        form->command(ppc_form_t::cancel_command);
    }

    QString dir_;
    road_t& road_;
    int& pictures_;
    QTimer timer_;
    ppc_form_t* seen_ = nullptr;
};

// Runs one road of the script with the camera on.
void take(road_t& road, const QString& dir, int& pictures, const std::function<void()>& open) {
    camera_t camera(dir, road, pictures);
    try {
        open();
    } catch (const text_error_t& e) {
        road.failure = e.text();
    } catch (const std::exception& e) {
        road.failure = from_utf8(e.what());
    }
}

// The script items in menu order with the path of each, then those the menu does not reach.
class roads_t {
public:
    explicit roads_t(MenuApplet_tag_t& root) {
        for (auto& child : root.children)
            if (child->code == tags::List) walk(static_cast<tag_complex_t&>(*child), {});
        std::vector<tag_t*> all;
        collect_tags(root, tags::ScriptItem, all);
        collect_tags(root, tags::ScriptItemAdd, all);
        for (tag_t* item : all)
            if (!seen_.count(item))
                add(*static_cast<ScriptItem_tag_t*>(item), std::u16string(texts::render_not_in_menu) + u" / ");
    }

    std::vector<std::pair<std::u16string, ScriptItem_tag_t*>> items;

private:
    void walk(tag_complex_t& list, const std::u16string& prefix) {
        for (auto& child : list.children) {
            if (child->code == tags::ScriptItem || child->code == tags::ScriptItemAdd) {
                add(static_cast<ScriptItem_tag_t&>(*child), prefix);
            } else if (child->code == tags::ScriptList) {
                auto& sub = static_cast<tag_complex_t&>(*child);
                // A list under two names is the same sub-tree twice; its items are shown once.
                if (name_of(sub).empty() || !lists_.insert(&sub).second) continue;
                for (auto& inner : sub.children)
                    if (inner->code == tags::List)
                        walk(static_cast<tag_complex_t&>(*inner), prefix + name_of(sub) + u" / ");
            }
        }
    }

    void add(ScriptItem_tag_t& item, const std::u16string& prefix) {
        if (!seen_.insert(&item).second) return;
        const std::u16string name = name_of(item);
        items.emplace_back(prefix + (name.empty() ? std::u16string(texts::app_name) : name), &item);
    }

    std::unordered_set<const tag_t*> seen_, lists_;
};

int fail(const std::u16string& message) {
    std::fputs((to_utf8(message) + "\n").c_str(), stderr);
    return 1;
}

}  // namespace

int render_command(int argc, char** argv) {
    const auto options = parse_options(argc, argv);
    if (!options) return fail(texts::cfg_bad_arguments);
    // Forms are drawn off the screen unless the caller chose a platform.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qt_argc = 1;
    char name[] = "ostrevan-cfg";
    char* qt_argv[] = {name, nullptr};
    QApplication qt(qt_argc, qt_argv);
    install_qt_translations(qt);
    QApplication::setApplicationName(QString::fromUtf16(texts::app_name));

    script_source_t source;
    try {
        source = read_script_source(options->input, options->pin);
    } catch (const cfg_error_t& e) {
        return fail(e.place + u": " + e.message);
    }
    if (!QDir().mkpath(options->out_dir))
        return fail(options->out_dir.toStdU16String() + u": " +
                    format_text(texts::cfg_cannot_write, {options->out_dir.toStdU16String()}));

    ppc_device_t device;
    const std::string type = platform_type(options->platform_type);
    device.soft_keys = is_smartphone_type(type);
    device.screen = options->screen;
    ppc_display_t display(device, nullptr);
    // Pictures of the script are found beside it.
    display.set_script_folder((QFileInfo(options->input).absolutePath() + QLatin1Char('/')).toStdU16String());
    no_messaging_t messaging;

    // The script loads as the program loads it, from the compiled bytes; nothing is written back.
    memory_file_ops_t* memory = source.compiled.get();
    std::unique_ptr<mfc_storage_t> storage;
    std::unique_ptr<tag_t> tag = create_tag_by_name(u"MenuApplet", nullptr);
    auto& root = static_cast<MenuApplet_tag_t&>(*tag);
    std::vector<road_t> roads;
    int pictures = 0;
    try {
        storage = memory ? std::make_unique<mfc_storage_t>(u"script.cfg", mfc_storage_t::mode_read, u"", *memory)
                         : std::make_unique<mfc_storage_t>(options->input.toStdU16String(), mfc_storage_t::mode_read,
                                                           options->pin);
        root.set_display(&display);
        root.set_messaging(&messaging);
        root.set_storages(storage.get(), storage.get(), false);
        root.load();
        root.link();

        std::unordered_set<const ScriptItemAdd_tag_t*> adders_shown;
        for (auto& [path, item] : roads_t(root).items) {
            road_t& road = roads.emplace_back(road_t{path, {}, {}, {}});
            take(road, options->out_dir, pictures, [item] { item->show(); });
            // The add forms that the item's card selections open with "Добавить еще...".
            std::vector<tag_t*> selections;
            collect_tags(*item, tags::SelectCard, selections);
            for (tag_t* selection : selections) {
                const card_list_var_t* list = static_cast<SelectCard_tag_t*>(selection)->card_list;
                ScriptItemAdd_tag_t* adder = list ? list->add_form : nullptr;
                if (!adder || adder == item || !adders_shown.insert(adder).second) continue;
                road_t& add = roads.emplace_back(road_t{format_text(texts::render_add_form, {path}), {}, {}, {}});
                take(add, options->out_dir, pictures, [adder] { adder->run_to_add(); });
            }
        }
    } catch (const text_error_t& e) {
        return fail(options->input.toStdU16String() + u": " + e.text());
    }

    const std::u16string page = render_index(options->input.toStdU16String(), from_utf8(type), device.screen, roads);
    QFile index(options->out_dir + QStringLiteral("/index.html"));
    const QByteArray bytes = QString::fromStdU16String(page).toUtf8();
    if (!index.open(QIODevice::WriteOnly | QIODevice::Truncate) || index.write(bytes) != bytes.size() || !index.flush())
        return fail(format_text(texts::cfg_cannot_write, {index.fileName().toStdU16String()}));
    std::fputs(
        to_utf8(format_text(texts::render_written, {number_text(pictures), index.fileName().toStdU16String()})).c_str(),
        stdout);
    int failed = 0;
    for (const auto& road : roads)
        if (!road.failure.empty()) {
            ++failed;
            std::fputs(to_utf8(road.path + u": " + road.failure + u"\n").c_str(), stderr);
        }
    return failed == 0 ? 0 : 1;
}
