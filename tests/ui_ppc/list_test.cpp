#include <QMenu>
#include <QTest>
#include <type_traits>
#include <utility>

#include "screens/ppc_display.h"
#include "screens/ppc_list.h"
#include "script/factory.h"
#include "script/menu_tags.h"
#include "script/script_context.h"
#include "script/tree_store.h"
#include "tests/ui_ppc/form_fixture.h"
#include "tests/ui_ppc/sub_menu_fixture.h"
#include "vars/fav_list_var.h"

namespace {

// What a menu shows, one line per entry: "text=id", "text>" for a sub-menu with its entries indented after
// it, "(text)" for an entry that cannot be chosen.
QStringList outline(const QMenu& menu, const QString& indent = "") {
    QStringList lines;
    for (QAction* a : menu.actions()) {
        if (a->menu()) {
            lines << indent + a->text() + ">";
            lines += outline(*a->menu(), indent + "  ");
        } else if (!a->isEnabled()) {
            lines << indent + "(" + a->text() + ")" + (a->data().isValid() ? "=" + a->data().toString() : "");
        } else {
            lines << indent + a->text() + "=" + a->data().toString();
        }
    }
    return lines;
}

}  // namespace

class list_test : public QObject {
    Q_OBJECT

    tree_store_t store_;  // the memory of the tags the cases make without a root

private slots:
    void cleanup() { script_context.tags_by_id = nullptr; }

    void entries_become_commands_and_sub_lists_nested_sub_menus() {
        ppc_display_t display(test_device(true), nullptr);
        QMenu root;
        display.reset_menu(&root);
        test_tag_t balance, transfer, deep, statement;
        auto inner = sub_menu(display, {{u"Глубже", &deep}});
        auto outer = sub_menu(display, {{u"Перевод", &transfer}, {u"Ещё", inner.get()}});

        auto list = display.create_list(u"не показывается");
        list->add_entry(u"Баланс", &balance, u"");
        list->add_entry(u"Платежи", outer.get(), u"");
        // Added after the sub-menus were built, it still lands in the main menu.
        list->add_entry(u"Выписка", &statement, u"");
        list->show();
        QVERIFY(!list->is_open());
        QCOMPARE(list->selected(), -1);
        list->close();
        list.reset();

        const QStringList expected = {"Баланс=37001", "Платежи>",         "  Перевод=37002",
                                      "  Ещё>",       "    Глубже=37003", "Выписка=37004"};
        QCOMPARE(outline(root), expected);
        QVERIFY(display.dispatch_command(37003));
        QVERIFY(display.dispatch_command(37004));
        QCOMPARE(deep.shows, 1);
        QCOMPARE(statement.shows, 1);
        QCOMPARE(balance.shows + transfer.shows, 0);
    }

    void each_new_build_of_the_menu_deletes_the_sub_menus_of_the_last() {
        ppc_display_t display(test_device(true), nullptr);
        QMenu root;
        test_tag_t item;
        fav_list_var_t favourites;
        auto favs = create_tag(64, nullptr);
        static_cast<ScriptFavList_tag_t&>(*favs).favourites = &favourites;
        auto inner = sub_menu(display, {{u"Газ", &item}});
        auto outer = sub_menu(display, {{u"Связь", &item}, {u"Коммунальные", inner.get()}});
        // Every press of "Меню" builds the menu again.
        for (int press = 0; press < 5; ++press) {
            display.reset_menu(&root);
            QCOMPARE(root.findChildren<QMenu*>().size(), 0);
            auto list = display.create_list(u"");
            list->add_entry(u"Платежи", outer.get(), u"");
            list->add_entry(u"Избранное", favs.get(), u"");
            list->add_entry(u"Баланс", &item, u"");
            QCOMPARE(root.findChildren<QMenu*>().size(), 3);  // payments, utilities inside it, favourites
        }
        display.reset_menu(&root);
        QCOMPARE(root.findChildren<QMenu*>().size(), 0);
        QVERIFY(root.actions().isEmpty());
    }

    void the_favourites_sub_menu() {
        struct case_t {
            const char* name;
            bool bound;
            std::vector<fav_t> favourites;
            QStringList expected;
        };
        const case_t cases[] = {
            {"empty", true, {}, {"Избранное>", "  (Пусто)=105"}},
            {"not bound", false, {}, {"Избранное>", "  (Пусто)=105"}},
            {"two of one item, one gone",
             true,
             {{u"balance", u"Баланс карты"}, {u"closed", u"Закрытый вклад"}, {u"balance", u"Баланс снова"}},
             {"Избранное>", "  Баланс карты=37001", "  Баланс снова=37002"}},
            {"every item gone", true, {{u"closed", u"Закрытый вклад"}}, {"Избранное>", "  (Пусто)=105"}},
        };
        test_tag_t balance;
        tags_by_id_t items{{u"balance", &balance}};
        script_context.tags_by_id = &items;
        for (const auto& c : cases) {
            ppc_display_t display(test_device(false), nullptr);
            QMenu root;
            display.reset_menu(&root);
            fav_list_var_t favourites;
            for (const fav_t& fav : c.favourites) favourites.append(fav);
            auto tag = create_tag(64, nullptr);
            auto* fav_list = dynamic_cast<ScriptFavList_tag_t*>(tag.get());
            QVERIFY(fav_list);
            if (c.bound) fav_list->favourites = &favourites;
            display.create_list(u"")->add_entry(u"Избранное", tag.get(), u"");
            QCOMPARE(outline(root), c.expected);
        }
        // Both entries of one item run that same item.
        ppc_display_t display(test_device(false), nullptr);
        QMenu root;
        display.reset_menu(&root);
        fav_list_var_t favourites;
        favourites.append({u"balance", u"Баланс"});
        favourites.append({u"balance", u"Баланс снова"});
        auto tag = create_tag(64, nullptr);
        static_cast<ScriptFavList_tag_t&>(*tag).favourites = &favourites;
        display.create_list(u"")->add_entry(u"Избранное", tag.get(), u"");
        QVERIFY(display.dispatch_command(37001));
        QVERIFY(display.dispatch_command(37002));
        QCOMPARE(balance.shows, 2);

        // No tag of the favourites' code can be anything but a favourites list: only the factory sets a code.
        static_assert(!std::is_assignable_v<decltype((std::declval<tag_t&>().code)), int>);
    }

    void past_the_hundredth_command_entries_show_unavailable() {
        ppc_display_t display(test_device(true), nullptr);
        QMenu root;
        display.reset_menu(&root);
        std::vector<test_tag_t> tags(102);
        auto list = display.create_list(u"");
        for (auto& tag : tags) list->add_entry(u"Пункт", &tag, u"");
        const auto entries = root.actions();
        QCOMPARE(entries.size(), 102);
        QCOMPARE(entries[99]->data().toInt(), 37100);
        QVERIFY(entries[99]->isEnabled());
        for (int i : {100, 101}) {
            QVERIFY(!entries[i]->isEnabled());
            QVERIFY(!entries[i]->data().isValid());
        }
        QCOMPARE(display.last_registered(), 37100);
    }

    void entries_show_their_text_as_it_is_and_stay_inside_the_screen() {
        ppc_device_t device = test_device(true);
        device.screen.width = 200;
        ppc_display_t display(device, nullptr);
        QMenu root;
        display.reset_menu(&root);
        test_tag_t tag;
        auto sub = create_tag(31, nullptr);
        const std::u16string long_text = u"Баланс карты Мир Зарплатная •• 0931";
        auto list = display.create_list(u"");
        list->add_entry(u"Оплата & перевод", &tag, u"");
        list->add_entry(long_text, &tag, u"");
        list->add_entry(long_text, sub.get(), u"");
        const auto entries = root.actions();
        QCOMPARE(entries[0]->text(), QString("Оплата && перевод"));
        // Shortened in the middle: the end that tells two cards apart stays.
        for (QAction* entry : {entries[1], entries[2]}) {
            QVERIFY(entry->text().startsWith("Баланс"));
            QVERIFY(entry->text().endsWith("0931"));
            QVERIFY(entry->text().contains(QChar(0x2026)));
        }
        QVERIFY(root.sizeHint().width() <= 200);
    }

    void without_a_menu_nothing_is_added() {
        ppc_display_t display(test_device(true), nullptr);
        display.reset_menu(nullptr);
        test_tag_t tag;
        auto list = display.create_list(u"");
        list->add_entry(u"Баланс", &tag, u"");
        list->add_entry(u"Пусто", nullptr, u"");
        QCOMPARE(display.last_registered(), 37000);
    }
};

QTEST_MAIN(list_test)
#include "list_test.moc"
