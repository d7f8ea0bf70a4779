#pragma once

#include <QAbstractButton>
#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

// What an item of a shown form offers to a driver that acts as the user (the scenario runner, the tests): what
// it shows and the controls its keys and clicks go to. Read afresh after every change: the controls live only
// as long as the form's current showing.
struct item_automation_t {
    enum class kind_t { text, picture, input, drop_down, one_line_list, radio_buttons, check_boxes };

    kind_t kind = kind_t::picture;
    // The caption line above the control; empty for a text and a picture.
    QString caption;
    // A text: its words as shown, fold mark ("[-]", "[+]") and all; an input: its value as the screen shows it
    // (a secret one masked); a drop-down or one-line list: the option it shows.
    QString shown;
    // Whether an input hides its characters.
    bool secret = false;
    // A list's options; the texts of radio buttons and check boxes.
    QStringList entries;
    // The focus control: the text's label, the edit box, the drop-down box, the one-line list.
    QWidget* control = nullptr;
    // Radio buttons and check boxes, one per entry.
    std::vector<QAbstractButton*> buttons;
};
