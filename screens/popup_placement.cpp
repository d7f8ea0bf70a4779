#include "screens/popup_placement.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <algorithm>

namespace {

// The window a pop-up opens over: the first window up its parents that is not a pop-up itself.
QWidget* screen_window_of(QWidget* popup) {
    QWidget* owner = popup->parentWidget();
    while (owner && owner->window()->windowType() == Qt::Popup) owner = owner->window()->parentWidget();
    return owner ? owner->window() : nullptr;
}

void make_first_entry_current(QMenu* menu) {
    if (menu->activeAction()) return;
    for (QAction* action : menu->actions())
        if (!action->isSeparator() && action->isVisible() && action->isEnabled()) {
            menu->setActiveAction(action);
            return;
        }
}

class popup_keeper_t : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->isWindow() || widget->windowType() != Qt::Popup) return false;
        place_popup_on_screen(widget);
        if (auto* menu = qobject_cast<QMenu*>(widget)) make_first_entry_current(menu);
        return false;
    }
};

}  // namespace

void place_popup_on_screen(QWidget* popup) {
    QWidget* window = screen_window_of(popup);
    if (!window) return;
    const QRect screen(window->mapToGlobal(QPoint(0, 0)), window->size());
    QRect place = popup->geometry();
    if (place.width() > screen.width() || place.height() > screen.height()) {
        place.setSize(place.size().boundedTo(screen.size()));
        popup->resize(place.size());
    }
    const int x = std::clamp(place.left(), screen.left(), screen.right() + 1 - place.width());
    const int y = std::clamp(place.top(), screen.top(), screen.bottom() + 1 - place.height());
    if (x != place.left() || y != place.top()) popup->move(x, y);
}

void keep_popups_on_screen() {
    static QPointer<popup_keeper_t> keeper;
    if (keeper || !qApp) return;
    keeper = new popup_keeper_t(qApp);
    qApp->installEventFilter(keeper);
}
