// bench_startup [--runs N] [--platform-type NAME] [--program PATH]
// The time from the start of the process to the bank's menu on the screen, and the peak memory, of ostrevan on
// the demo bank (the PIN typed by the scenario runner, then out), beside a bare Qt Widgets program that shows
// one window. Each run is a fresh process; the two alternate, and the medians are printed with their ratios.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/scenario/scenario_text.h"
#include "resources/texts.h"

namespace fs = std::filesystem;

namespace {

struct sample_t {
    double ms = 0;        // to the first line of its standard output that begins with the marker
    double total_ms = 0;  // to its end
    long max_rss_kb = 0;
};

double ms_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Runs the program to its end, timing the line that says its window is on the screen. Exits on a failed run:
// its figures would mean nothing.
sample_t run(const std::vector<std::string>& argv, const std::string& marker) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(out[1], 1);
        dup2(null, 2);
        close(out[0]);
        close(out[1]);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    sample_t sample;
    std::string seen;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
        seen.append(buffer, size_t(n));
        if (sample.ms == 0 && (seen.starts_with(marker) || seen.find("\n" + marker) != std::string::npos))
            sample.ms = ms_since(start);
    }
    close(out[0]);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        std::perror("wait4");
        std::exit(1);
    }
    sample.total_ms = ms_since(start);
    sample.max_rss_kb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || sample.ms == 0) {
        std::fprintf(stderr, "%s ended with status %d, %s\n", argv[0].c_str(), status,
                     sample.ms == 0 ? ("never said " + marker).c_str() : "");
        std::exit(1);
    }
    return sample;
}

// Each figure's own median.
sample_t median(std::vector<sample_t> samples) {
    const size_t middle = samples.size() / 2;
    sample_t m;
    auto by = [&](auto field) {
        std::nth_element(samples.begin(), samples.begin() + middle, samples.end(),
                         [&](const sample_t& a, const sample_t& b) { return a.*field < b.*field; });
        return samples[middle].*field;
    };
    m.ms = by(&sample_t::ms);
    m.total_ms = by(&sample_t::total_ms);
    m.max_rss_kb = by(&sample_t::max_rss_kb);
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 9;
    std::string platform = "Smartphone";
    std::string program_path = OSTREVAN_PROGRAM;  // another build of it, to compare with a baseline
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--platform-type") == 0 && i + 1 < argc)
            platform = argv[++i];
        else if (std::strcmp(argv[i], "--program") == 0 && i + 1 < argc)
            program_path = argv[++i];
        else if (std::strncmp(argv[i], "--benchmark", 11) == 0)
            continue;  // ./dev bench hands every benchmark the same options
        else {
            std::fprintf(stderr, "usage: bench_startup [--runs N] [--platform-type NAME] [--program PATH]\n");
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

    const std::vector<std::string> bare{BARE_PROGRAM};
    const std::vector<std::string> program{program_path,
                                           "--scenario",
                                           TO_MENU,
                                           "--config-dir",
                                           (work / "config").string(),
                                           "--registry",
                                           (work / "registry").string(),
                                           "--platform-type",
                                           platform};
    // The first run writes the settings with the new PIN; the runs measured start as a user's every day.
    // The runner's transcript names the main window once it is on the screen; the bare program says "shown".
    const std::string menu_marker = scenario_text(texts::scenario_screen, {scenario_text(texts::scenario_main_window)}),
                      shown_marker = "shown";
    run(program, menu_marker);
    std::vector<sample_t> bare_samples, program_samples;
    for (int i = 0; i < runs; ++i) {
        bare_samples.push_back(run(bare, shown_marker));
        program_samples.push_back(run(program, menu_marker));
    }
    const sample_t b = median(bare_samples), p = median(program_samples);
    const auto script_kb = double(fs::file_size(work / "config" / "config.cfg")) / 1024;
    std::printf("runs: %d each, %s, offscreen; the demo bank's script is %.1f KiB\n", runs, platform.c_str(),
                script_kb);
    std::printf("medians          %14s %14s %14s\n", "to window, ms", "to exit, ms", "peak RSS, KiB");
    std::printf("bare Qt window   %14.1f %14.1f %14ld\n", b.ms, b.total_ms, b.max_rss_kb);
    std::printf("ostrevan to menu %14.1f %14.1f %14ld\n", p.ms, p.total_ms, p.max_rss_kb);
    std::printf("ratio            %13.2fx %13.2fx %13.2fx (+%ld KiB)\n", p.ms / b.ms, p.total_ms / b.total_ms,
                double(p.max_rss_kb) / double(b.max_rss_kb), p.max_rss_kb - b.max_rss_kb);
    fs::remove_all(work);
    return 0;
}
