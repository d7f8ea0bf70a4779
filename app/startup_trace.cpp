#include "app/startup_trace.h"

#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/moment_trace.h"

namespace startup_trace {
namespace {

// The process's start as the kernel recorded it (field 22 of /proc/self/stat, clock ticks since boot), on the
// monotonic clock of the trace; nothing when it cannot be read.
void mark_process_start() {
    std::ifstream in("/proc/self/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    const size_t name_end = stat.rfind(')');  // the command's name may hold spaces
    if (name_end == std::string::npos) return;
    std::istringstream fields(stat.substr(name_end + 2));
    std::string field;
    unsigned long long start_ticks = 0;
    for (int i = 3; i <= 22 && fields >> field; ++i)
        if (i == 22) start_ticks = std::stoull(field);
    const long ticks_per_second = ::sysconf(_SC_CLK_TCK);
    timespec boot{}, mono{};
    if (start_ticks == 0 || ticks_per_second <= 0 || ::clock_gettime(CLOCK_BOOTTIME, &boot) != 0 ||
        ::clock_gettime(CLOCK_MONOTONIC, &mono) != 0)
        return;
    const auto us = [](const timespec& t) { return int64_t(t.tv_sec) * 1'000'000 + t.tv_nsec / 1'000; };
    const int64_t started_since_boot = int64_t(start_ticks) * 1'000'000 / ticks_per_second;
    // Both clocks run together but for the time suspended; the trace's clock is the monotonic one.
    const int64_t offset = us(boot) - us(mono);
    const int64_t steady_minus_mono = moment_trace::now_microseconds() - us(mono);
    moment_trace::mark_at(started_since_boot - offset + steady_minus_mono, "process start");
}

class window_watch_t : public QObject {
public:
    using QObject::QObject;
    void mark_next_paint(QWidget* window, const char* name) { next_paint_.push_back({window, name}); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->isWindow()) return false;
        for (auto it = next_paint_.begin(); it != next_paint_.end();) {
            if (it->window == widget) {
                moment_trace::mark(it->name);
                it = next_paint_.erase(it);
            } else if (!it->window) {
                it = next_paint_.erase(it);
            } else {
                ++it;
            }
        }
        // Kept on the window itself: a later window at the same address is a new one.
        if (widget->property(shown_property).toBool()) return false;
        widget->setProperty(shown_property, true);
        if (!any_shown_) moment_trace::mark("first window shown");
        any_shown_ = true;
        moment_trace::mark(std::string("shown ") + widget->metaObject()->className());
        return false;
    }

private:
    struct pending_t {
        QPointer<QWidget> window;
        const char* name;
    };
    static constexpr char shown_property[] = "ostrevan_trace_shown";
    std::vector<pending_t> next_paint_;
    bool any_shown_ = false;
};

window_watch_t* watch = nullptr;

}  // namespace

void begin(int argc, char** argv) {
    const int64_t entered = moment_trace::now_microseconds();
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--trace-startup") == 0) {
            if (!moment_trace::open(argv[i + 1])) return;
            mark_process_start();
            moment_trace::mark_at(entered, "main");
            return;
        }
}

void watch_windows() {
    if (!moment_trace::active() || watch) return;
    watch = new window_watch_t(qApp);
    qApp->installEventFilter(watch);
}

void mark_next_paint(QWidget* window, const char* name) {
    if (watch && window) watch->mark_next_paint(window, name);
}

}  // namespace startup_trace
