#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

// Every message box of the program goes through here: captioned with the application's name, the icon
// telling the kind. Tests answer a box before it appears with set_next_answer, so no test has to find
// and click a window.
class message_box_t {
public:
    // risky_question: a question whose Yes could do harm (a payment sent twice): a warning icon, No by default.
    enum class icon_t { information, error, warning, question, risky_question };

    // Question boxes have Yes and No, the others OK. Returns the button the user pressed.
    static QMessageBox::StandardButton show(QWidget* parent, icon_t icon, const QString& text);

    // The next box is not shown and answers `button` at once. Answers queue up in the order given. `while_up` runs
    // where the box would wait for the user, before it answers: the moment a test looks at what the program has
    // done so far.
    static void set_next_answer(QMessageBox::StandardButton button, std::function<void()> while_up = {});
    static void clear_next_answers();

    // How many boxes wait for the user now (those answered through set_next_answer never do).
    static int open_boxes();
    // Called on the GUI thread each time a box that waited for the user has closed; one handler, empty for none.
    static void on_closed(std::function<void()> handler);

    // What the boxes answered through set_next_answer said, for tests, since the last clear_record. Boxes shown
    // to the user are not kept, so the program keeps no growing record.
    struct record_t {
        icon_t icon;
        QString text;
    };
    static const QList<record_t>& record();
    static void clear_record();
};
