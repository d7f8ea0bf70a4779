// Builds forms with every kind of item and the main menu with its sub-menus in both device modes, and the menu
// and forms a bank's script file builds (scripts/gallery.xml, compiled at build time), and writes what they
// look like as PNG files, so that a person can see whether anything is cramped, cut off or unreadable.
// It also checks what it shows: the control a keyboard user steps to is in view and has the focus, and no text
// on a form is shortened or cut where the room it has would hold it. Any fault, or a screen that does not come
// up, makes it exit with status 1.
//
//   ui_gallery [OUT_DIR] [--screen WxH]
//
// Runs on any Qt platform; under QT_QPA_PLATFORM=offscreen it needs no display.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "screens/message_box.h"
#include "screens/ppc_display.h"
#include "screens/ppc_form.h"
#include "screens/qt_translations.h"
#include "screens/select_windows.h"
#include "script/factory.h"
#include "script/menu_tags.h"
#include "script/script_context.h"
#include "script/tree_store.h"
#include "tests/support/script_fixture.h"
#include "tests/ui/script_stand_ins.h"
#include "tests/ui_ppc/form_fixture.h"
#include "tests/ui_ppc/sub_menu_fixture.h"
#include "vars/fav_list_var.h"

namespace {

QString out_dir;
int faults = 0;

void fault(const QString& what) {
    std::fprintf(stderr, "gallery: FAULT: %s\n", qPrintable(what));
    ++faults;
}

// Runs `look` once the next modal window is up, then ends that window. A window that does not come up would
// leave the gallery waiting for ever: it stops with a fault instead.
void when_shown(std::function<void(QWidget*)> look, const QString& name) {
    QTimer::singleShot(0, [look, name] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            fault(name + ": no window came up");
            std::fflush(stderr);
            std::_Exit(1);
        }
        make_active(modal);
        look(modal);
        static_cast<QDialog*>(modal)->reject();
    });
}

// Whether `text` is drawn whole. A text may be shortened only where the room it has could not hold it, and a
// wrapped one must have the height its lines need.
void check_texts(ppc_form_t* form, const QString& name) {
    for (QWidget* w : form->page()->findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        if (auto* line = qobject_cast<spin_select_control_t*>(w)) {
            if (line->shown_text() != line->current_text() &&
                line->fontMetrics().horizontalAdvance(line->current_text()) <= line->text_width())
                fault(name + ": one-line list shortened though it fits: " + line->current_text());
        } else if (auto* combo = qobject_cast<popup_combo_t*>(w)) {
            if (combo->shown_text() != combo->currentText() &&
                combo->fontMetrics().horizontalAdvance(combo->currentText()) <= combo->text_width())
                fault(name + ": drop-down shortened though it fits: " + combo->currentText());
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (button->hasHeightForWidth() && button->heightForWidth(button->width()) > button->height())
                fault(name + ": label cut: " + button->text());
        } else if (auto* label = qobject_cast<QLabel*>(w); label && label->wordWrap()) {
            if (label->heightForWidth(label->width()) > label->height()) fault(name + ": text cut: " + label->text());
        }
    }
    for (soft_key_t* key : {form->left_soft_key(), form->right_soft_key()})
        if (key->isVisible() && key->sizeHint().width() > key->width()) fault(name + ": soft key cut: " + key->text());
}

// Whether the control with the focus is on the form's page and wholly in view.
bool focus_in_view(ppc_form_t* form) {
    QWidget* focused = QApplication::focusWidget();
    if (!focused || !form->page()->isAncestorOf(focused)) return false;
    return form->page()->rect().contains(QRect(focused->mapTo(form->page(), QPoint(0, 0)), focused->size()));
}

// Steps through the whole form with the keyboard from its first control, as a keypad user with Down and a
// touch-screen user with Tab does; after every step the focused control must be in view. Ends with the focus
// on the last control.
void step_through(ppc_form_t* form, const QString& name) {
    const int key = form->soft_keys() ? Qt::Key_Down : Qt::Key_Tab;
    QWidget* first = nullptr;
    for (QWidget* w : form->page()->findChildren<QWidget*>())
        if (w->isVisible() && (w->focusPolicy() & Qt::TabFocus)) {
            first = w;
            break;
        }
    if (!first) return fault(name + ": nothing to step to");
    first->setFocus(Qt::TabFocusReason);
    QList<QWidget*> visited;
    for (int step = 0; step < 100; ++step) {
        if (!focus_in_view(form))
            return fault(name + QString(": step %1: the focused control is out of view").arg(step));
        QWidget* focused = QApplication::focusWidget();
        if (visited.contains(focused)) break;  // round to the top again
        visited << focused;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(focused, &press);
    }
    visited.back()->setFocus(Qt::TabFocusReason);
    if (!focus_in_view(form)) fault(name + ": the last control is out of view");
}

void save(QWidget* widget, const QString& name) {
    QString file = out_dir + "/" + name + ".png";
    if (!widget->grab().save(file)) std::fprintf(stderr, "gallery: cannot write %s\n", qPrintable(file));
}

// A picture for the picture item: the bank's logo as a script would ship it.
QString make_logo() {
    QImage image(120, 48, QImage::Format_RGB32);
    image.fill(QColor(0, 84, 147));
    QPainter painter(&image);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignCenter, "БАНК");
    painter.end();
    image.save(out_dir + "/logo.bmp", "BMP");
    return out_dir;
}

struct parts_t {
    test_action_t click, send, help;
    test_param_t amount, phone, card, account, currency, sms, mail, pin;
    std::vector<std::unique_ptr<button_t>> buttons;
};

std::unique_ptr<form_t> payment_form(ppc_display_t& display, parts_t& parts) {
    auto form = display.create_form(u"Перевод");
    form_t* f = form.get();

    form->add_item(display.create_image_item(f, u"/logo.bmp"));
    auto intro = display.create_string_item(
        f, u"Перевод с карты на карту. Комиссия 1%, не менее 30 рублей. Деньги поступят в течение суток.");
    auto* intro_part = intro.get();
    parts.click.body = [intro_part, f, &parts] {
        static bool folded = false;
        folded = !folded;
        folded ? intro_part->fold() : intro_part->unfold();
        f->refresh();
        (void)parts;
    };
    intro->set_click_handler(&parts.click);
    form->add_item(std::move(intro));

    auto folded = display.create_string_item(
        f, u"Справка: перевод можно отменить по звонку в банк до зачисления средств получателю.");
    folded->fold();
    form->add_item(std::move(folded));

    auto card = display.create_select_item(f, u"Карта списания");
    card->set_style(select_item_t::drop_down);
    card->add_option(u"Visa Classic •• 4417", false);
    card->add_option(u"Мир Зарплатная •• 0931", true);
    card->bind_param(&parts.card);
    form->add_item(std::move(card));

    auto amount = display.create_input_item(f, u"Сумма перевода, руб.");
    amount->set_type(input_item_t::currency, 0);
    amount->set_max_length(10);
    parts.amount.value = u"1500.50";
    amount->set_param(&parts.amount);
    form->add_item(std::move(amount));

    auto phone = display.create_input_item(f, u"Телефон получателя");
    phone->set_type(input_item_t::phone, 0);
    parts.phone.value = u"+79001234567";
    phone->set_param(&parts.phone);
    form->add_item(std::move(phone));

    auto currency = display.create_select_item(f, u"Валюта");
    currency->set_style(select_item_t::spin);
    for (auto* name : {u"Рубли", u"Доллары США", u"Евро"}) currency->add_option(name, false);
    currency->bind_param(&parts.currency);
    form->add_item(std::move(currency));

    auto account = display.create_select_item(f, u"Счёт зачисления");
    account->set_style(select_item_t::radio);
    for (auto* name : {u"Текущий", u"Сберегательный с ежемесячной капитализацией", u"Кредитный"})
        account->add_option(name, false);
    account->bind_param(&parts.account);
    form->add_item(std::move(account));

    auto notify = display.create_checkbox_item(f, u"Уведомить получателя");
    notify->add_param(&parts.sms);
    notify->add_box(u"По СМС", true);
    notify->add_param(&parts.mail);
    notify->add_box(u"По электронной почте", false);
    form->add_item(std::move(notify));

    auto pin = display.create_input_item(f, u"Код подтверждения");
    pin->set_type(input_item_t::password, 1);
    parts.pin.value = u"1234";
    pin->set_param(&parts.pin);
    form->add_item(std::move(pin));

    for (auto [caption, kind] : {std::pair{u"Отправить", 0}, {u"Справка", 1}, {u"Назад", 2}}) {
        parts.buttons.push_back(display.create_button(f, caption, kind));
        form->add_button(parts.buttons.back().get());
    }
    return form;
}

void shoot_mode(bool soft_keys, screen_size_t screen) {
    ppc_device_t device{soft_keys, screen};
    ppc_display_t display(device, nullptr);
    display.set_script_folder(make_logo().toStdU16String());
    const QString mode = soft_keys ? "softkey" : "touch";

    parts_t parts;
    auto form = payment_form(display, parts);
    auto* dialog = static_cast<ppc_form_t*>(form.get());

    when_shown(
        [&](QWidget* w) {
            check_texts(dialog, mode + "-payment-top");
            save(w, mode + "-payment-top");
            // Scrolled all the way down, as the user would by dragging the bar or stepping through the fields.
            dialog->scroll_bar()->setValue(100);
            check_texts(dialog, mode + "-payment-bottom");
            save(w, mode + "-payment-bottom");
            dialog->scroll_bar()->setValue(0);
            // The long text folded by a click.
            parts.click.body();
            check_texts(dialog, mode + "-payment-folded");
            save(w, mode + "-payment-folded");
            parts.click.body();
            // Down to the last field with the keyboard: it is in view and has the focus.
            step_through(dialog, mode + "-payment-keyboard");
            save(w, mode + "-payment-keyboard");
        },
        mode + "-payment");
    form->show();

    // The options menu over the form.
    when_shown(
        [&](QWidget* w) {
            QTimer::singleShot(0, [&, w] {
                if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                    QImage shot(w->size(), QImage::Format_ARGB32);
                    w->render(&shot);
                    QPainter painter(&shot);
                    QPoint at = w->mapFromGlobal(menu->pos());
                    menu->render(&painter, at);
                    painter.end();
                    shot.save(out_dir + "/" + mode + "-options-menu.png");
                    menu->close();
                }
                static_cast<QDialog*>(w)->reject();
            });
            dialog->command(ppc_form_t::options_command);
        },
        mode + "-options-menu");
    QTimer::singleShot(0, [] {});
    form->show();

    // A long form that scrolls.
    auto long_form = display.create_form(u"Анкета");
    const char16_t* captions[] = {u"Фамилия",           u"Имя",
                                  u"Отчество",          u"Дата рождения",
                                  u"Серия паспорта",    u"Номер паспорта",
                                  u"Кем выдан",         u"Дата выдачи",
                                  u"Код подразделения", u"Адрес регистрации",
                                  u"Адрес проживания",  u"Телефон",
                                  u"Электронная почта", u"Место работы",
                                  u"Должность",         u"Стаж на последнем месте, лет",
                                  u"Доход в месяц",     u"Кодовое слово"};
    const int count = static_cast<int>(std::size(captions));
    std::vector<test_param_t> fields(count);
    for (int i = 0; i < count; ++i) {
        auto input = display.create_input_item(long_form.get(), captions[i]);
        fields[i].value = i == 0 ? u"Константинопольская-Щедрина" : u"";
        input->set_param(&fields[i]);
        long_form->add_item(std::move(input));
    }
    auto* long_dialog = static_cast<ppc_form_t*>(long_form.get());
    when_shown(
        [&](QWidget* w) {
            check_texts(long_dialog, mode + "-long-top");
            save(w, mode + "-long-top");
            long_dialog->scroll_bar()->setValue(50);
            save(w, mode + "-long-middle");
            long_dialog->scroll_bar()->setValue(100);
            save(w, mode + "-long-bottom");
            // Stepping to a field below the page brings it into view by itself.
            long_dialog->scroll_bar()->setValue(0);
            auto edits = long_dialog->page()->findChildren<QLineEdit*>();
            long_dialog->ensure_visible(edits.at(edits.size() - 6));
            save(w, mode + "-long-focus-follow");
            long_dialog->scroll_bar()->setValue(0);
            step_through(long_dialog, mode + "-long-keyboard");
            if (QApplication::focusWidget() != edits.back())
                fault(mode + "-long-keyboard: the last field was not reached");
            save(w, mode + "-long-keyboard");
        },
        mode + "-long");
    long_form->show();
}

// The entry of `menu` that opens `sub`.
QAction* opener_of(QMenu* menu, QMenu* sub) {
    for (QAction* a : menu->actions())
        if (a->menu() == sub) return a;
    return nullptr;
}

// Draws `chain` (a menu and the sub-menus opened from it) over the program's window the way they pop up: the
// main menu from the bottom left corner above the soft keys, each sub-menu beside the highlighted entry that
// opened it, or below that entry when the screen is too narrow to leave the entry readable.
void save_menus(QWidget& window, const std::vector<QMenu*>& chain, const QString& name) {
    for (std::size_t i = 1; i < chain.size(); ++i) chain[i - 1]->setActiveAction(opener_of(chain[i - 1], chain[i]));
    QImage shot(window.size(), QImage::Format_ARGB32);
    window.render(&shot);
    QPainter painter(&shot);
    QRect at;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        QMenu* menu = chain[i];
        menu->ensurePolished();
        QSize size = menu->sizeHint().boundedTo(window.size());
        menu->resize(size);
        QPoint top_left(0, window.height() - 28 - size.height());
        if (i > 0) {
            QAction* opener = opener_of(chain[i - 1], menu);
            QRect row = chain[i - 1]->actionGeometry(opener).translated(at.topLeft());
            int left = std::max(0, std::min(at.right() - 8, window.width() - size.width()));
            int text_end = row.left() + 32 + chain[i - 1]->fontMetrics().horizontalAdvance(opener->text());
            int top = left < text_end ? row.bottom() + 1 : row.top();
            top_left = QPoint(left, std::max(0, std::min(top, window.height() - size.height())));
        }
        at = QRect(top_left, size);
        menu->render(&painter, top_left);
    }
    painter.end();
    for (QMenu* menu : chain) menu->setActiveAction(nullptr);
    shot.save(out_dir + "/" + name + ".png");
}

// The main menu as the script's lists build it: commands, a sub-menu inside a sub-menu, the favourites.
void shoot_menus(bool soft_keys, screen_size_t screen) {
    ppc_display_t display(ppc_device_t{soft_keys, screen}, nullptr);
    const QString mode = soft_keys ? "softkey" : "touch";
    QWidget window;
    window.resize(screen.width, screen.height);
    QMenu root(&window);
    display.reset_menu(&root);

    tree_store_t store;  // the memory of the tags made without a root
    test_tag_t item;
    tags_by_id_t items{{u"balance", &item}, {u"limit", &item}};
    script_context.tags_by_id = &items;
    fav_list_var_t favourites;
    favourites.append({u"balance", u"Баланс карты Мир Зарплатная •• 0931"});
    favourites.append({u"limit", u"Лимит по кредитке"});
    auto favs = create_tag(64, nullptr);
    static_cast<ScriptFavList_tag_t&>(*favs).favourites = &favourites;
    auto empty_favs = create_tag(64, nullptr);
    auto utilities =
        sub_menu(display, {{u"Электроэнергия", &item}, {u"Водоснабжение и водоотведение", &item}, {u"Газ", &item}});
    auto payments = sub_menu(display, {{u"Мобильная связь", &item},
                                       {u"Коммунальные услуги", utilities.get()},
                                       {u"Интернет и телевидение", &item},
                                       {u"Погашение кредита", &item}});
    auto list = display.create_list(u"Ostrevan");
    list->add_entry(u"Платежи", payments.get(), u"");
    list->add_entry(u"Избранное", favs.get(), u"");
    list->add_entry(u"Отложенные", empty_favs.get(), u"");
    for (auto* name : {u"Баланс", u"Перевод с карты на карту", u"Выписка за месяц", u"Блокировка карты", u"Настройки"})
        list->add_entry(name, &item, u"");
    script_context.tags_by_id = nullptr;

    QMenu* payments_menu = root.actions()[0]->menu();
    QMenu* utilities_menu = payments_menu->actions()[1]->menu();
    save_menus(window, {&root}, mode + "-menu");
    save_menus(window, {&root, payments_menu, utilities_menu}, mode + "-menu-nested");
    save_menus(window, {&root, root.actions()[1]->menu()}, mode + "-menu-favourites");
    save_menus(window, {&root, root.actions()[2]->menu()}, mode + "-menu-favourites-empty");
}

// The menu and the forms of the gallery's bank script, as a user choosing its entries sees them.
void shoot_script(bool soft_keys, screen_size_t screen) {
    ppc_display_t display(ppc_device_t{soft_keys, screen}, nullptr);
    display.set_script_folder(make_logo().toStdU16String());
    const QString mode = soft_keys ? "softkey" : "touch";
    script_fixture_t script(OSTREVAN_TEST_SCRIPTS "/gallery.cfg", &display);

    QWidget window;
    window.resize(screen.width, screen.height);
    QMenu root(&window);
    display.reset_menu(&root);
    script.root->show();
    save_menus(window, {&root}, mode + "-script-menu");
    if (QMenu* payments = root.actions().value(1)->menu())
        save_menus(window, {&root, payments}, mode + "-script-menu-payments");

    const std::pair<const char16_t*, const char*> forms[] = {
        {u"Баланс карты", "balance"},
        {u"Мобильная связь", "phone"},
        {u"Перевод с карты на карту", "transfer"},
        {u"Новая карта", "new-card"},
    };
    for (const auto& [name, file] : forms) {
        when_shown([&](QWidget* w) { save(w, mode + "-script-" + file); }, mode + "-script-" + file);
        script.item(name).show();
    }
}

void shoot_message_boxes(screen_size_t screen) {
    // Boxes are shown over the program's window, as the program does.
    QWidget main_window;
    main_window.resize(screen.width, screen.height);
    struct box_t {
        message_box_t::icon_t icon;
        const char16_t* text;
        const char* name;
    };
    const box_t boxes[] = {
        {message_box_t::icon_t::error, u"Не указана сумма перевода", "box-error"},
        {message_box_t::icon_t::question, u"Отправить запрос на перевод 1500.50 руб. на номер +79001234567?",
         "box-question"},
        {message_box_t::icon_t::information, u"Сообщение отправлено успешно", "box-information"},
    };
    for (const auto& box : boxes) {
        when_shown([&](QWidget* w) { save(w, box.name); }, box.name);
        message_box_t::show(&main_window, box.icon, QString::fromUtf16(box.text));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (!install_qt_translations(app)) fault("Qt's Russian catalogue is missing (qt6-translations-l10n)");
    out_dir = QDir::currentPath() + "/gallery";
    screen_size_t screen;
    for (int i = 1; i < argc; ++i) {
        QString arg = argv[i];
        if (arg == "--screen" && i + 1 < argc) {
            auto size = parse_screen_size(argv[++i]);
            if (!size) {
                std::fprintf(stderr, "gallery: --screen takes WxH, for example 320x480\n");
                return 2;
            }
            screen = *size;
        } else {
            out_dir = arg;
        }
    }
    QDir().mkpath(out_dir);
    shoot_mode(true, screen);
    shoot_mode(false, screen);
    shoot_menus(true, screen);
    shoot_menus(false, screen);
    shoot_script(true, screen);
    shoot_script(false, screen);
    shoot_message_boxes(screen);
    std::printf("gallery: pictures in %s\n", qPrintable(out_dir));
    return faults == 0 ? 0 : 1;
}
