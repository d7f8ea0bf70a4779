#include "app/soft_key_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "resources/texts.h"
#include "screens/device_keys.h"
#include "screens/popup_placement.h"

soft_key_dialog_t::soft_key_dialog_t(const ppc_device_t& device, QWidget* parent, const QString& title,
                                     const QString& left, const QString& right)
    : QDialog(parent), device_(device) {
    setWindowTitle(title);
    keep_popups_on_screen();
    setFixedSize(device.screen.width, device.screen.height);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* heading = new QLabel(title, this);
    heading->setObjectName(QStringLiteral("heading"));
    heading->setMargin(4);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setWordWrap(true);
    outer->addWidget(heading);
    // On a small screen the page scrolls instead of squeezing its controls.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* content = new QWidget(scroll);
    page_ = new QVBoxLayout(content);
    page_->setContentsMargins(6, 4, 6, 4);
    page_->setAlignment(Qt::AlignTop);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);
    // The control the user moves to comes into view.
    connect(qApp, &QApplication::focusChanged, this, [scroll, content](QWidget*, QWidget* now) {
        if (now && content->isAncestorOf(now)) scroll->ensureWidgetVisible(now);
    });
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(2);
    left_key_ = new QPushButton(left, this);
    right_key_ = new QPushButton(right, this);
    for (QPushButton* key : {left_key_, right_key_}) {
        key->setFocusPolicy(Qt::NoFocus);
        key->setAutoDefault(false);
        bar->addWidget(key, 1);
    }
    outer->addLayout(bar);
    connect(left_key_, &QPushButton::clicked, this, [this] { left_key(); });
    connect(right_key_, &QPushButton::clicked, this, [this] { reject(); });
    if (parent) move(parent->mapToGlobal(QPoint(0, 0)));
}

void soft_key_dialog_t::keyPressEvent(QKeyEvent* event) {
    switch (device_key(event->key())) {
        case device_key_t::left_soft_key:
            left_key();
            return;
        case device_key_t::right_soft_key:
        case device_key_t::back:
            reject();
            return;
        case device_key_t::action:
            action_key();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}
