// The baseline of the start-up benchmark: the least a Qt Widgets program does to put one window on the
// screen. It quits as soon as the window has been painted.
#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

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
            std::puts("shown");  // the benchmark's mark, as the scenario runner's transcript is ostrevan's
            std::fflush(stdout);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        painted_ = true;
    }

private:
    bool painted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    window_t window;
    window.show();
    return qt.exec();
}
