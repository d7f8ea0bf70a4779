#include "app/main_frame.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/kestrelpod_view.h"
#include "core/moment_trace.h"
#include "resources/texts.h"
#include "screens/device_keys.h"
#include "screens/popup_placement.h"

CMainFrame::CMainFrame(const ppc_device_t& device) : device_(device) {
    setWindowTitle(QString::fromUtf16(texts::main_title));
    keep_popups_on_screen();
    setFixedSize(device.screen.width, device.screen.height);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    view_ = new CKestrelpodView(this);
    layout->addWidget(view_, 1);
    auto* bar = new QHBoxLayout;
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(2);
    exit_key_ = new QPushButton(QString::fromUtf16(texts::soft_key_exit), this);
    menu_key_ = new QPushButton(QString::fromUtf16(texts::soft_key_menu), this);
    for (QPushButton* key : {exit_key_, menu_key_}) {
        key->setFocusPolicy(Qt::NoFocus);
        bar->addWidget(key, 1);
    }
    layout->addLayout(bar);
    connect(exit_key_, &QPushButton::clicked, this, &QWidget::close);
    if (device.soft_keys) connect(menu_key_, &QPushButton::clicked, this, &CMainFrame::menu_key_pressed);
}

void CMainFrame::bring_to_front() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

void CMainFrame::keyPressEvent(QKeyEvent* event) {
    switch (device_key(event->key())) {
        case device_key_t::left_soft_key:
            close();
            return;
        case device_key_t::right_soft_key:
            menu_key_->click();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // The user's "Выход" (or the desktop closing the window): the program's exit starts here.
    moment_trace::mark("quit requested");
    QWidget::closeEvent(event);
}
