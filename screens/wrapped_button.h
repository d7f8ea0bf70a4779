#pragma once

#include <QCheckBox>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <type_traits>

// A radio button or check box whose text wraps onto as many lines as the row needs, so that a long option
// is never cut off mid-word on a narrow screen. The whole row answers a click, the text included.
template <class Button>
class wrapped_button_t : public Button {
    static_assert(std::is_same_v<Button, QRadioButton> || std::is_same_v<Button, QCheckBox>);
    static constexpr bool radio = std::is_same_v<Button, QRadioButton>;

public:
    wrapped_button_t(const QString& text, QWidget* parent) : Button(text, parent) {}

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        QStyleOptionButton option = style_option(width);
        const QRect room = text_room(option);
        const int text = this->fontMetrics().boundingRect(room, flags, this->text()).height();
        return std::max(Button::sizeHint().height(), text + 4);
    }
    // Whether the whole text shows in the button as it is now.
    bool text_fits() const { return heightForWidth(this->width()) <= this->height(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option = style_option(this->width());
        option.rect = this->rect();
        const QRect room = text_room(option);
        // The style draws the indicator alone; the text and its focus frame are drawn here, wrapped.
        const bool focused = option.state & QStyle::State_HasFocus;
        option.text.clear();
        option.state &= ~QStyle::State_HasFocus;
        painter.drawControl(radio ? QStyle::CE_RadioButton : QStyle::CE_CheckBox, option);
        painter.drawItemText(room, flags, option.palette, this->isEnabled(), this->text(), QPalette::WindowText);
        if (focused) {
            QStyleOptionFocusRect frame;
            frame.initFrom(this);
            frame.rect =
                this->fontMetrics().boundingRect(room, flags, this->text()).adjusted(-2, -1, 2, 1) & this->rect();
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
        }
    }
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }

private:
    static constexpr int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;

    QStyleOptionButton style_option(int width) const {
        QStyleOptionButton option;
        this->initStyleOption(&option);
        option.rect = QRect(0, 0, width, std::max(this->height(), Button::sizeHint().height()));
        return option;
    }
    QRect text_room(const QStyleOptionButton& option) const {
        return this->style()->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents,
                                             &option, this);
    }
};
