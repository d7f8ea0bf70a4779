// The baseline of the start-up benchmark: the least a Qt Widgets program does to put one window on the
// screen. It quits as soon as the window has been painted, writing the same moments as ostrevan does.
#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "app/startup_trace.h"
#include "core/moment_trace.h"

namespace {

class window_t : public QWidget {
public:
    window_t() {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(QStringLiteral("Меню"), this));
        resize(320, 480);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QWidget::paintEvent(event);
        if (!painted_) {
            moment_trace::mark("quit requested");
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        painted_ = true;
    }

private:
    bool painted_ = false;
};

int run(int argc, char** argv) {
    QApplication qt(argc, argv);
    startup_trace::watch_windows();
    window_t window;
    window.show();
    return qt.exec();
}

}  // namespace

int main(int argc, char** argv) {
    startup_trace::begin(argc, argv);
    const int status = run(argc, argv);
    moment_trace::mark("end");
    return status;
}
