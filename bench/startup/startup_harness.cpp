// bench_startup [--runs N] [--platform-type NAME] [--program PATH] [--baseline PATH] [--cpu N]
// What the user waits for, from the moments the programs themselves write (--trace-startup, app/startup_trace.h):
// ostrevan on the demo bank (the PIN typed by the scenario runner, then out) beside a bare Qt Widgets program that
// shows one window, and a request sent and a bank message shown. Each run is a fresh process; the kinds of run
// alternate, and the medians are printed with their ratios to the bare window. With --baseline another build of
// ostrevan runs alternately beside this one (pin both with --cpu to compare them on one core).
#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using moments_t = std::vector<std::pair<double, std::string>>;  // ms after the fork, in the order written

struct sample_t {
    moments_t moments;
    double end_ms = 0;  // the parent saw the process end
    double cpu_ms = 0;  // user and system time of the whole process
    long max_rss_kb = 0;

    // The first moment named `name` at or after `after` ms; nothing when there is none.
    std::optional<double> at(const std::string& name, double after = 0) const {
        for (const auto& [ms, moment] : moments)
            if (ms >= after && moment == name) return ms;
        return std::nullopt;
    }
    std::optional<double> first_starting(const std::string& prefix, double after) const {
        for (const auto& [ms, moment] : moments)
            if (ms >= after && moment.starts_with(prefix)) return ms;
        return std::nullopt;
    }
    // The last moment named `name` before `before` ms.
    std::optional<double> last_before(const std::string& name, double before) const {
        std::optional<double> found;
        for (const auto& [ms, moment] : moments)
            if (ms <= before && moment == name) found = ms;
        return found;
    }
};

int64_t steady_us() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double cpu_ms(const timeval& t) {
    return double(t.tv_sec) * 1000 + double(t.tv_usec) / 1000;
}

// Runs the program to its end with `--trace-startup FILE` added, and reads the moments it wrote. Exits on a failed
// run: its figures would mean nothing.
sample_t run(std::vector<std::string> argv, const fs::path& trace, const fs::path& state, int cpu) {
    argv.push_back("--trace-startup");
    argv.push_back(trace.string());
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    fs::remove(trace);
    // Every run starts without the state of the one before: the simulated bank's messages carry a time to the
    // second, and the ledger would take a text that came again within that second for one it has seen.
    fs::remove_all(state);
    fs::create_directory(state);
    const int64_t start = steady_us();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (child == 0) {
        if (cpu >= 0) {
            cpu_set_t set;
            CPU_ZERO(&set);
            CPU_SET(cpu, &set);
            sched_setaffinity(0, sizeof set, &set);
        }
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        std::perror("wait4");
        std::exit(1);
    }
    sample_t sample;
    sample.end_ms = double(steady_us() - start) / 1000;
    sample.cpu_ms = cpu_ms(usage.ru_utime) + cpu_ms(usage.ru_stime);
    sample.max_rss_kb = usage.ru_maxrss;
    std::ifstream in(trace);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        long long us = 0;
        std::string name;
        if (fields >> us && std::getline(fields >> std::ws, name))
            sample.moments.emplace_back(double(us - start) / 1000, name);
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || sample.moments.empty()) {
        std::fprintf(stderr, "%s ended with status %d%s\n", argv[0].c_str(), status,
                     sample.moments.empty() ? ", no moments written" : "");
        std::exit(1);
    }
    return sample;
}

// One figure of each run of a kind, and their median; runs without the figure are left out.
struct figure_t {
    std::vector<double> values;
    void add(std::optional<double> v) {
        if (v) values.push_back(*v);
    }
    std::optional<double> median() const {
        if (values.empty()) return std::nullopt;
        std::vector<double> sorted = values;
        std::nth_element(sorted.begin(), sorted.begin() + long(sorted.size() / 2), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

// The figures of a run to the main window and out.
struct startup_figures_t {
    figure_t to_main, to_first_window, to_main_window, quit_to_end, whole, cpu, rss_kb;

    void add(const sample_t& s, bool bare) {
        to_main.add(s.at("main"));
        to_first_window.add(bare ? s.at("first window shown") : s.at("PIN dialog shown"));
        if (!bare) to_main_window.add(s.at("main window shown"));
        if (const auto quit = s.at("quit requested")) quit_to_end.add(s.end_ms - *quit);
        whole.add(s.end_ms);
        cpu.add(s.cpu_ms);
        rss_kb.add(double(s.max_rss_kb));
    }
};

// The figures of the road with a request and a bank message.
struct sms_figures_t {
    figure_t yes_to_pdu, indication_to_box;

    void add(const sample_t& s) {
        if (const auto pdu = s.at("PDU at modem"))
            if (const auto yes = s.last_before("answer yes", *pdu)) yes_to_pdu.add(*pdu - *yes);
        if (const auto indication = s.at("bank message at modem"))
            if (const auto box = s.first_starting("shown ", *indication)) indication_to_box.add(*box - *indication);
    }
};

// A figure with `decimals` places, signed when asked; "-" when there is none.
std::string cell(std::optional<double> v, int decimals = 1, const char* suffix = "", bool sign = false) {
    if (!v) return "-";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, sign ? "%+.*f%s" : "%.*f%s", decimals, *v, suffix);
    return buffer;
}

std::string ratio(std::optional<double> v, std::optional<double> bare) {
    if (!v || !bare || *bare <= 0) return "-";
    return cell(*v / *bare, 2, "x");
}

std::string difference(std::optional<double> v, std::optional<double> bare) {
    if (!v || !bare) return "-";
    return cell(*v - *bare, 1, "", true);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 9;
    int cpu = -1;
    std::string platform = "Smartphone";
    std::string program_path = OSTREVAN_PROGRAM;  // another build of it, to compare with a baseline
    std::string baseline_path;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--cpu") == 0 && i + 1 < argc)
            cpu = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--platform-type") == 0 && i + 1 < argc)
            platform = argv[++i];
        else if (std::strcmp(argv[i], "--program") == 0 && i + 1 < argc)
            program_path = argv[++i];
        else if (std::strcmp(argv[i], "--baseline") == 0 && i + 1 < argc)
            baseline_path = argv[++i];
        else if (std::strncmp(argv[i], "--benchmark", 11) == 0)
            continue;  // ./dev bench hands every benchmark the same options
        else {
            std::fprintf(stderr,
                         "usage: bench_startup [--runs N] [--platform-type NAME] [--program PATH] [--baseline PATH] "
                         "[--cpu N]\n");
            return 2;
        }
    }
    // A folder of its own: the demo bank's copy, the registry, the state and the runtime folder.
    std::string pattern = (fs::temp_directory_path() / "ostrevan-startup-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path work = pattern;
    fs::copy(DEMO_CONFIG, work / "config", fs::copy_options::recursive);
    for (const char* dir : {"registry", "state", "runtime"}) fs::create_directory(work / dir);
    fs::permissions(work / "runtime", fs::perms::owner_all);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_STATE_HOME", (work / "state").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (work / "runtime").c_str(), 1);
    const fs::path trace = work / "trace", state = work / "state";

    auto ostrevan = [&](const std::string& path, const char* scenario) {
        return std::vector<std::string>{path,
                                        "--scenario",
                                        scenario,
                                        "--config-dir",
                                        (work / "config").string(),
                                        "--registry",
                                        (work / "registry").string(),
                                        "--platform-type",
                                        platform};
    };
    const std::vector<std::string> bare{BARE_PROGRAM};
    // The first run writes the settings with the new PIN; the runs measured start as a user's every day.
    run(ostrevan(program_path, TO_MENU), trace, state, cpu);
    startup_figures_t b, p, base;
    sms_figures_t sms;
    for (int i = 0; i < runs; ++i) {
        b.add(run(bare, trace, state, cpu), true);
        p.add(run(ostrevan(program_path, TO_MENU), trace, state, cpu), false);
        if (!baseline_path.empty()) base.add(run(ostrevan(baseline_path, TO_MENU), trace, state, cpu), false);
        sms.add(run(ostrevan(program_path, SMS_ROAD), trace, state, cpu));
    }
    const auto script_kb = double(fs::file_size(work / "config" / "config.cfg")) / 1024;
    std::printf("runs: %d of each, alternating fresh processes, %s, offscreen%s; the demo bank's script is %.1f KiB\n",
                runs, platform.c_str(), cpu >= 0 ? (", on CPU " + std::to_string(cpu)).c_str() : "", script_kb);
    std::printf("times from the fork, from the moments the programs wrote; medians\n");
    const bool with_base = !baseline_path.empty();
    std::printf("%-34s %10s %10s %10s%s\n", "", "bare Qt", "ostrevan", "vs bare",
                with_base ? "   baseline  vs bare" : "");
    auto line = [&](const char* name, const figure_t& bf, const figure_t& pf, const figure_t& basef, bool additive,
                    const char* goal) {
        const auto bm = bf.median(), pm = pf.median(), basem = basef.median();
        const std::string versus = additive ? difference(pm, bm) : ratio(pm, bm);
        std::printf("%-34s %10s %10s %10s", name, cell(bm).c_str(), cell(pm).c_str(), versus.c_str());
        if (with_base)
            std::printf(" %10s %8s", cell(basem).c_str(),
                        (additive ? difference(basem, bm) : ratio(basem, bm)).c_str());
        std::printf("%s%s\n", *goal ? "   goal " : "", goal);
    };
    line("to main(), ms", b.to_main, p.to_main, base.to_main, false, "");
    line("to the first window (PIN), ms", b.to_first_window, p.to_first_window, base.to_first_window, false, "<= 1.2x");
    line("to the main window after the PIN, ms", b.to_first_window, p.to_main_window, base.to_main_window, false, "");
    line("quit to the process's end, ms", b.quit_to_end, p.quit_to_end, base.quit_to_end, true, "<= +20 ms");
    line("whole run, ms", b.whole, p.whole, base.whole, false, "");
    line("CPU of the whole run, ms", b.cpu, p.cpu, base.cpu, false, "<= 1.3x");
    line("peak RSS, KiB", b.rss_kb, p.rss_kb, base.rss_kb, true, "<= +4096 KiB");
    std::printf("a request and a bank message (ostrevan's own time, simulated modem), medians:\n");
    std::printf("%-34s %10s   goal <= 5 ms\n", "the user's Yes to the PDU, ms",
                cell(sms.yes_to_pdu.median(), 2).c_str());
    std::printf("%-34s %10s   goal <= 20 ms\n", "indication to the message box, ms",
                cell(sms.indication_to_box.median(), 2).c_str());
    fs::remove_all(work);
    return 0;
}
