// Bank messages: the registry queue replayed at start and on a second copy's ping, the confirmation of payments,
// and batches that come from the inbox watch's thread.
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <thread>

#include "messaging/sms_rule.h"
#include "platform/registry/bank_queue.h"
#include "platform/registry/registry.h"
#include "resources/texts.h"
#include "tests/app/app_fixture.h"

namespace {

QString text(const char16_t* t) {
    return QString::fromUtf16(t);
}

QString question(const QString& bank_text) {
    return text(texts::confirm_payment_before) + bank_text + text(texts::confirm_payment_after);
}

// A started program on a touch-screen device, where bank messages come through the queue.
struct started_t {
    app_fixture_t f;
    std::unique_ptr<CKestrelpodApp> app;

    explicit started_t(const char* platform = "PocketPC") {
        dialog_driver_t driver;
        driver.then(set_new_pin("1234"));
        app = f.make(platform);
        if (!app->init_instance()) qFatal("the program did not start");
        message_box_t::clear_record();
    }
    ~started_t() {
        message_box_t::clear_next_answers();
        app->exit_instance();
    }
    void queue(const std::u16string& t) { QVERIFY(queue_bank_text(f.registry, t)); }
    std::vector<std::u16string> sent() {
        std::vector<std::u16string> out;
        for (const auto& s : f.host->provider.sent_copy()) out.push_back(s.text);
        return out;
    }
};

}  // namespace

class queue_test : public QObject {
    Q_OBJECT

private slots:
    void queued_texts_are_shown_once_without_their_markers() {
        started_t s;
        s.queue(u"Первое APP_PORT=2201 и APP_PORT=2201");
        s.queue(u"Оба APPPORT=2201 маркера APP_PORT=2201.");
        s.queue(u"Без маркера");
        s.queue(u"Код внутри слова XCFM123456");
        for (int i = 0; i < 4; ++i) message_box_t::set_next_answer(QMessageBox::Ok);
        s.app->replay_queued();
        QCOMPARE(box_texts(), (QStringList{"Первое  и APP_PORT=2201", "Оба  маркера .", "Без маркера",
                                           "Код внутри слова XCFM123456"}));
        for (const auto& box : message_box_t::record()) QVERIFY(box.icon == message_box_t::icon_t::information);
        QVERIFY(s.sent().empty());
        message_box_t::clear_record();
        s.app->replay_queued();
        QVERIFY(message_box_t::record().isEmpty());
    }

    // A queued text leaves the queue only once its box is closed: a program that dies while it is on screen shows it
    // (and what came after it) at the next start.
    void a_queued_text_stays_queued_until_it_has_been_seen() {
        started_t s;
        s.queue(u"Первое APP_PORT=2201");
        s.queue(u"Второе APP_PORT=2201");
        auto values_queued = [&] {
            const auto key = registry_key_t::open(s.f.registry, queue_key);
            std::u16string name;
            std::string data;
            size_t n = 0;
            while (key &&
                   key->enumerate(n, name, queue_max_name, data, queue_max_bytes) == registry_key_t::status_t::ok)
                ++n;
            return n;
        };
        size_t queued_while_first_up = 0;
        size_t queued_while_second_up = 0;
        message_box_t::set_next_answer(QMessageBox::Ok, [&] { queued_while_first_up = values_queued(); });
        message_box_t::set_next_answer(QMessageBox::Ok, [&] { queued_while_second_up = values_queued(); });
        s.app->replay_queued();
        QCOMPARE(box_texts(), (QStringList{"Первое ", "Второе "}));
        QCOMPARE(queued_while_first_up, size_t(2));
        QCOMPARE(queued_while_second_up, size_t(1));
        QCOMPARE(values_queued(), size_t(0));
    }

    void an_empty_or_missing_queue_shows_nothing() {
        started_t s;
        s.app->replay_queued();
        QVERIFY(registry_key_t::create(s.f.registry, queue_key));
        s.app->replay_queued();
        QVERIFY(message_box_t::record().isEmpty());
    }

    void a_value_too_large_is_set_aside_and_the_rest_is_shown() {
        started_t s;
        const auto key = registry_key_t::create(s.f.registry, queue_key);
        QVERIFY(key);
        QVERIFY(key->write(u"a-large", std::string(queue_max_bytes + 2, 'x')));
        QVERIFY(key->write(u"b-bank", queue_value_data(u"Зачисление 500,00 руб. APP_PORT=2201")));
        QVERIFY(key->write(u"c-bank", queue_value_data(u"Списание 100,00 руб. APP_PORT=2201")));
        message_box_t::set_next_answer(QMessageBox::Ok);
        message_box_t::set_next_answer(QMessageBox::Ok);
        s.app->replay_queued();
        QCOMPARE(box_texts(), (QStringList{"Зачисление 500,00 руб. ", "Списание 100,00 руб. "}));
        const auto aside = registry_key_t::open(s.f.registry, queue_aside_key);
        QVERIFY(aside);
        std::string kept;
        QVERIFY(aside->query(u"a-large", kept, queue_max_bytes + 2));
        message_box_t::clear_record();
        s.app->replay_queued();
        QVERIFY(message_box_t::record().isEmpty());
    }

    void a_confirmation_is_sent_on_yes_only() {
        started_t s;
        const std::u16string request = u"Платёж принят. Для подтверждения отправьте код CFM123456 APP_PORT=2201";
        const QString shown = "Платёж принят. Для подтверждения отправьте код CFM123456 ";
        s.queue(request);
        s.queue(request);
        message_box_t::set_next_answer(QMessageBox::No);
        message_box_t::set_next_answer(QMessageBox::Yes);
        s.app->replay_queued();
        QCOMPARE(box_texts(), (QStringList{question(shown), question(shown)}));
        QVERIFY(message_box_t::record()[0].icon == message_box_t::icon_t::question);
        const auto sent = s.sent();
        QCOMPARE(sent.size(), size_t(1));
        QVERIFY2(sent[0].starts_with(u"CFM123456;;ver=w"), to_utf8(sent[0]).c_str());
    }

    void a_confirmation_that_cannot_be_sent_says_so() {
        started_t s;
        s.f.host->provider.send_result = -1;
        s.queue(u"Код CFM42 APP_PORT=2201");
        message_box_t::set_next_answer(QMessageBox::Yes);
        message_box_t::set_next_answer(QMessageBox::Ok);
        s.app->replay_queued();
        QCOMPARE(box_texts(), (QStringList{question("Код CFM42 "), text(texts::send_failed_check_bank_number)}));
        QVERIFY(message_box_t::record()[1].icon == message_box_t::icon_t::error);
    }

    void a_confirmation_that_may_have_left_is_never_sent_again_unasked() {
        // The modem took the code without a definite answer: the user is told so, and a repeat is a question of
        // its own with the warning; only Yes to it sends the code again.
        struct case_t {
            const char* what;
            std::vector<int32_t> results;
            QList<QMessageBox::StandardButton> answers;  // the confirmation, then each box in turn
            size_t sends;
            QList<message_box_t::icon_t> icons;
        };
        using icon_t = message_box_t::icon_t;
        const case_t cases[] = {
            {"repeat declined",
             {sms_error_unknown},
             {QMessageBox::Yes, QMessageBox::Ok, QMessageBox::No},
             1,
             {icon_t::question, icon_t::information, icon_t::risky_question}},
            {"repeat chosen, then sent",
             {sms_error_unknown, sms_ok},
             {QMessageBox::Yes, QMessageBox::Ok, QMessageBox::Yes},
             2,
             {icon_t::question, icon_t::information, icon_t::risky_question}},
            {"not sent",
             {sms_error_not_sent},
             {QMessageBox::Yes, QMessageBox::Ok},
             1,
             {icon_t::question, icon_t::error}},
        };
        for (const auto& c : cases) {
            started_t s;
            s.f.host->provider.results = c.results;
            s.queue(u"Код CFM42 APP_PORT=2201");
            for (const auto answer : c.answers) message_box_t::set_next_answer(answer);
            s.app->replay_queued();
            QList<icon_t> icons;
            for (const auto& box : message_box_t::record()) icons << box.icon;
            QVERIFY2(icons == c.icons, c.what);
            if (c.icons.size() == 3) {
                QVERIFY2(box_texts()[1] == text(texts::confirm_code_unknown), c.what);
                QVERIFY2(box_texts()[2] == text(texts::confirm_code_repeat_question), c.what);
            }
            QVERIFY2(s.sent().size() == c.sends, c.what);
            message_box_t::clear_record();
        }
    }

    void a_batch_from_the_watch_thread_is_shown_on_the_gui_thread() {
        started_t s("Smartphone");
        qlt_sms_rule_t rule;
        std::thread watch([&] { s.app->confirm_messages({u"Баланс карты: 12 345,67 руб. "}, rule, {}); });
        watch.join();
        QVERIFY(message_box_t::record().isEmpty());
        message_box_t::set_next_answer(QMessageBox::Ok);
        QCoreApplication::processEvents();
        QCOMPARE(box_texts(), QStringList{"Баланс карты: 12 345,67 руб. "});
        // A keypad phone has no queue to replay.
        s.queue(u"Из очереди APP_PORT=2201");
        s.app->replay_queued();
        QCOMPARE(message_box_t::record().size(), 1);
    }

    // The bank's confirmation request arrives while the user's payment is being sent: it is not asked inside the
    // sending dialog (where its answer could not be sent), but right after, and its code goes out as a send of its own.
    void a_confirmation_arriving_during_a_send_is_asked_after_it_and_its_code_sent() {
        for (const char* platform : {"Smartphone", "PocketPC"}) {
            started_t s(platform);
            ppc_messaging_t& messaging = *s.app->messaging();
            int seen = 0;
            bool asked_inside = true;
            s.f.host->while_next_send_is_up = [&] {
                s.app->confirm_messages({u"Платёж принят. Код CFM42 "}, messaging.rule(), [&](size_t) { ++seen; });
                QCoreApplication::processEvents();  // the sending dialog's loop
                asked_inside = !message_box_t::record().isEmpty();
            };
            messaging.set_text(u"PAY OP1 4276123456781234 +79005551234 100");
            message_box_t::set_next_answer(QMessageBox::Yes);
            message_box_t::set_next_answer(QMessageBox::Ok);  // for a box that should not come
            QVERIFY(messaging.send());
            QVERIFY2(!asked_inside, "asked inside the sending dialog");
            QCOMPARE(seen, 0);
            // Handled once answered, before its code leaves: a death during that send does not ask again.
            s.f.host->while_next_send_is_up = [&] { QCOMPARE(seen, 1); };
            QCoreApplication::processEvents();
            QCOMPARE(box_texts(), QStringList{question("Платёж принят. Код CFM42 ")});
            QCOMPARE(seen, 1);
            message_box_t::clear_next_answers();
            const auto sent = s.sent();
            QCOMPARE(sent.size(), size_t(2));
            QVERIFY(sent[0].starts_with(u"PAY OP1"));
            QVERIFY2(sent[1].starts_with(u"CFM42;;ver=w"), to_utf8(sent[1]).c_str());
        }
    }

    // The program dies while the first of two bank messages is on screen: the second was not marked read, and the
    // next start shows it, once; the first, seen, is not shown again.
    void a_message_not_yet_seen_when_the_program_dies_is_shown_at_the_next_start() {
        app_fixture_t f;
        f.prepare_messaging = [](fake_messaging_host_t& host) {
            host.store.add({u"Зачисление 500,00 руб. APP_PORT=2201"});
            host.store.add({u"Списание 100,00 руб. APP_PORT=2201"});
        };
        std::vector<fake_message_t> at_the_crash;
        {
            dialog_driver_t driver;
            driver.then(set_new_pin("1234"));
            auto app = f.make("Smartphone");
            QVERIFY(app->init_instance());
            message_box_t::set_next_answer(QMessageBox::Ok);
            // The second box is up when the program dies: what the store holds then is what the next start finds.
            message_box_t::set_next_answer(QMessageBox::Ok, [&] {
                std::lock_guard hold(f.host->store.lock);
                at_the_crash = f.host->store.inbox;
            });
            QCoreApplication::processEvents();
            QCOMPARE(box_texts(), (QStringList{"Зачисление 500,00 руб. ", "Списание 100,00 руб. "}));
            app->exit_instance();
        }
        QCOMPARE(at_the_crash.size(), size_t(2));
        QCOMPARE(at_the_crash[0].flags, message_flag_read);
        QCOMPARE(at_the_crash[1].flags, 0u);
        f.prepare_messaging = [&](fake_messaging_host_t& host) {
            for (const auto& m : at_the_crash) host.store.add(m);
        };
        message_box_t::clear_record();
        dialog_driver_t driver;
        driver.then(enter_pin("1234"));
        auto app = f.make("Smartphone");
        QVERIFY(app->init_instance());
        message_box_t::set_next_answer(QMessageBox::Ok);
        QCoreApplication::processEvents();
        QCOMPARE(box_texts(), QStringList{"Списание 100,00 руб. "});
        QCOMPARE(f.host->store.at(1).flags, message_flag_read);
        app->exit_instance();
    }

    void the_inbox_is_read_at_start_on_a_keypad_phone() {
        app_fixture_t f;
        f.prepare_messaging = [](fake_messaging_host_t& host) {
            host.store.add({u"Зачисление 500,00 руб. APP_PORT=2201"});
            host.store.add({u"Привет!"});
        };
        dialog_driver_t driver;
        driver.then(set_new_pin("1234"));
        auto app = f.make("Smartphone");
        QVERIFY(app->init_instance());
        message_box_t::set_next_answer(QMessageBox::Ok);
        QCoreApplication::processEvents();
        QCOMPARE(box_texts(), QStringList{"Зачисление 500,00 руб. "});
        app->exit_instance();
    }

    void a_second_copy_pings_the_first_which_replays() {
        started_t s;
        QVERIFY(s.app->init_application());
        s.queue(u"Пришло, пока программа была закрыта APP_PORT=2201");
        message_box_t::set_next_answer(QMessageBox::Ok);
        QProcess second;
        second.setProgram(qEnvironmentVariable("OSTREVAN_BINARY_DIR") + "/app/ostrevan");
        second.setArguments({"-platform", "offscreen", "--config-dir", QString::fromStdString(s.f.config.string()),
                             "--registry", QString::fromStdString(s.f.registry.string()), "--platform-type",
                             "PocketPC"});
        QSignalSpy finished(&second, &QProcess::finished);
        second.start();
        QVERIFY(finished.wait(60000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(message_box_t::record().size(), 1, 60000);
        QCOMPARE(box_texts(), QStringList{"Пришло, пока программа была закрыта "});
    }

    // The whole road on the simulated modem and bank: a request out, the bank's answer back through the
    // registry queue (touch screen) or straight from the inbox watch (keypad phone), and a payment confirmed.
    void the_simulated_bank_answers_and_a_payment_is_confirmed() {
        for (const char* platform : {"PocketPC", "Smartphone"}) {
            app_fixture_t f;
            f.simulated_bank = true;
            dialog_driver_t driver;
            driver.then(set_new_pin("1234"));
            auto app = f.make(platform);
            QVERIFY(app->init_instance());
            message_box_t::clear_record();
            ppc_messaging_t* messaging = app->messaging();
            QVERIFY(messaging);
            // What the send action does; the sending dialog ends by itself once the modem took the message.
            auto send = [&](const std::u16string& request) {
                driver.then([](QDialog*) {});
                messaging->set_number(u"+79001234567");
                messaging->set_text(request);
                return messaging->send();
            };
            QVERIFY(send(u"BAL 4276123456781234"));
            message_box_t::set_next_answer(QMessageBox::Ok);
            QTRY_COMPARE_WITH_TIMEOUT(message_box_t::record().size(), 1, 60000);
            QCOMPARE(box_texts(), QStringList{"Баланс карты: 12 345,67 руб. Доступно: 12 000,00 руб. "});

            message_box_t::clear_record();
            QVERIFY(send(u"PAY OP1 4276123456781234 +79005551234 100"));
            message_box_t::set_next_answer(QMessageBox::Yes);
            driver.then([](QDialog*) {});  // sending the code
            message_box_t::set_next_answer(QMessageBox::Ok);
            QTRY_COMPARE_WITH_TIMEOUT(message_box_t::record().size(), 2, 60000);
            QVERIFY2(message_box_t::record()[0].text.contains("CFM"), qPrintable(message_box_t::record()[0].text));
            QCOMPARE(message_box_t::record()[0].icon, message_box_t::icon_t::question);
            QCOMPARE(message_box_t::record()[1].text, QString("Платёж подтверждён. Спасибо! Чек отправлен по СМС. "));
            QCOMPARE(driver.pending(), size_t(0));
            app->exit_instance();
        }
    }
};

QTEST_MAIN(queue_test)
#include "queue_test.moc"
