#include "screens/message_box.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QQueue>

#include "resources/texts.h"

namespace {

// A message box no wider than the program's window, so that it stays on the phone's screen: Qt sizes its
// boxes for the desktop, up to half its width.
class fitted_box_t : public QMessageBox {
public:
    fitted_box_t(QWidget* parent, int max_width) : QMessageBox(parent), max_width_(max_width) {}

protected:
    bool event(QEvent* event) override {
        bool handled = QMessageBox::event(event);
        if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show) fit();
        return handled;
    }

private:
    void fit() {
        if (max_width_ <= 0 || width() <= max_width_) return;
        if (auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) label->setWordWrap(true);
        int wrapped = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(max_width_) : height();
        setFixedSize(max_width_, std::max(wrapped, height()));
    }

    int max_width_;
};

struct next_answer_t {
    QMessageBox::StandardButton button;
    std::function<void()> while_up;
};

QQueue<next_answer_t>& next_answers() {
    static QQueue<next_answer_t> answers;
    return answers;
}

int open_count = 0;

std::function<void()>& closed_handler() {
    static std::function<void()> handler;
    return handler;
}

QList<message_box_t::record_t>& shown() {
    static QList<message_box_t::record_t> boxes;
    return boxes;
}

}  // namespace

QMessageBox::StandardButton message_box_t::show(QWidget* parent, icon_t icon, const QString& text) {
    if (!next_answers().isEmpty()) {
        shown().append(record_t{icon, text});
        const next_answer_t answer = next_answers().dequeue();
        if (answer.while_up) answer.while_up();
        return answer.button;
    }

    fitted_box_t box(parent, parent ? parent->window()->width() : 0);
    box.setWindowTitle(QString::fromUtf16(texts::app_name));
    box.setText(text);
    switch (icon) {
        case icon_t::information:
            box.setIcon(QMessageBox::Information);
            break;
        case icon_t::error:
            box.setIcon(QMessageBox::Critical);
            break;
        case icon_t::warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case icon_t::question:
            box.setIcon(QMessageBox::Question);
            break;
        case icon_t::risky_question:
            box.setIcon(QMessageBox::Warning);
            break;
    }
    if (icon == icon_t::question || icon == icon_t::risky_question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(icon == icon_t::question ? QMessageBox::Yes : QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    ++open_count;
    const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
    --open_count;
    if (const auto handler = closed_handler()) handler();
    return answer;
}

int message_box_t::open_boxes() {
    return open_count;
}

void message_box_t::on_closed(std::function<void()> handler) {
    closed_handler() = std::move(handler);
}

void message_box_t::set_next_answer(QMessageBox::StandardButton button, std::function<void()> while_up) {
    next_answers().enqueue({button, std::move(while_up)});
}

void message_box_t::clear_next_answers() {
    next_answers().clear();
}

const QList<message_box_t::record_t>& message_box_t::record() {
    return shown();
}

void message_box_t::clear_record() {
    shown().clear();
}
