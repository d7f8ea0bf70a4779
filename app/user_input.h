#pragma once

#include <QString>
#include <Qt>

class QWidget;

// Key presses and mouse clicks delivered to a control as the user's keyboard and mouse deliver them: a press
// and a release, the key's text with it, the click in the middle of the control. The scenario runner drives
// the program through these, so the shipped program needs no test library.
void press_key(QWidget* control, Qt::Key key, const QString& text = {});
// Each character as a key: ASCII with its key code, other letters (Cyrillic) as the text of a key press, as
// an input method gives them.
void type_keys(QWidget* control, const QString& text);
void click(QWidget* control);
