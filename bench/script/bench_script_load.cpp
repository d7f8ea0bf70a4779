// The root's full load (variables, then the tree through the factory) and save of generated settings files
// of 0.1, 1 and 10 MB (and 100 MB with OSTREVAN_BENCH_LARGE=1), one line per size (MBx10 is the size in
// tenths of a MB):
//   - the load runs in a fresh process (this program run again) each time, beside the raw 4096-byte reads of
//     the same bytes from the page cache, as many times; load_ms and raw_ms are the medians and load_x their
//     ratio (the benchmark's own time column is the mean load, which one slow run on a shared machine moves);
//   - the save, beside a raw write of the same bytes with the same fsyncs and rename (save_x);
//   - the load's peak memory: the loading process's peak resident size (VmHWM) minus that of the same
//     program started the same way doing nothing, beside the file's size (mem_x). The reader holds one 4 KB
//     buffer of the file at a time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/u16.h"
#include "script/factory.h"
#include "script/menu_applet_tag.h"
#include "script/script_context.h"
#include "storage/mfc_storage.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

const std::u16string pin = u"1234";
using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

std::unique_ptr<MenuApplet_tag_t> new_root() {
    auto tag = create_tag_by_name(u"MenuApplet", nullptr);
    return std::unique_ptr<MenuApplet_tag_t>(static_cast<MenuApplet_tag_t*>(tag.release()));
}

tag_t& add(tag_t& parent, const std::u16string& name, const std::u16string& text = {}) {
    auto tag = create_tag_by_name(name, &parent);
    if (!tag) std::abort();
    if (auto* leaf = dynamic_cast<tag_simple_t*>(tag.get())) leaf->text = text;
    auto& node = static_cast<tag_complex_t&>(parent);
    node.children.push_back(std::move(tag));
    return *node.children.back();
}

// About 770 bytes of file per item.
void add_item(tag_t& list, int i) {
    const std::u16string n = from_utf8(std::to_string(i));
    tag_t& item = add(list, u"ScriptItem");
    add(item, u"Name", u"Платёж номер " + n);
    add(item, u"Id", u"pay" + n);
    tag_t& form = add(item, u"Form");
    add(form, u"String", u"Оплата услуг по договору, сумма списывается с выбранной карты");
    add(form, u"String", u"Комиссия не взимается");
    tag_t& input = add(form, u"Input");
    add(input, u"Caption", u"Сумма");
    add(input, u"MaxLength", u"10");
    add(input, u"Parameter", u"sum");
    tag_t& select = add(form, u"Select");
    add(select, u"Caption", u"Валюта");
    for (const char16_t* code : {u"RUB", u"USD", u"EUR"}) {
        tag_t& entry = add(select, u"Item");
        add(entry, u"Name", std::u16string(u"Валюта ") + code);
        add(entry, u"Value", code);
    }
    add(select, u"Parameter", u"currency");
    tag_t& send = add(item, u"ButtonSendSMS");
    add(send, u"Caption", u"Отправить");
    add(send, u"UserRequest", u"Оплатить {sum} {currency} по договору " + n + u"?");
    add(send, u"Body", u"PAY " + n + u" {sum} {currency}");
}

void save_root(MenuApplet_tag_t& root, const std::string& path) {
    mfc_storage_t out(from_utf8(path), mfc_storage_t::mode_write, pin);
    script_context.current_storage = &out;
    root.save();
    if (!out.close()) std::abort();
}

std::unique_ptr<MenuApplet_tag_t> load_root(const std::string& path) {
    mfc_storage_t storage(from_utf8(path), mfc_storage_t::mode_read, pin);
    auto root = new_root();
    root->set_storages(&storage, &storage, false);
    root->load();
    return root;
}

// A script of script items shaped like a bank's, of about `megabytes` MB, with 300 global variables.
struct script_file_t {
    std::string path;
    uint64_t size = 0;

    explicit script_file_t(double megabytes) {
        path = (std::filesystem::temp_directory_path() /
                ("ostrevan-script-bench-" + std::to_string(::getpid()) + "-" + std::to_string(megabytes)))
                   .string();
        auto root = new_root();  // sets the global variables
        static const bool vars_added = [] {
            for (int i = 0; i < 300; ++i)
                global_vars->get_string(u"var" + std::u16string(i % 10 + 1, u'x') + from_utf8(std::to_string(i)))
                    ->value = u"значение";
            return true;
        }();
        (void)vars_added;
        tag_t& list = add(*root, u"List");
        const int items = std::max(1, int(megabytes * 1024 * 1024 / 770));
        for (int i = 0; i < items; ++i) add_item(list, i);
        save_root(*root, path);
        size = std::filesystem::file_size(path);
        root.reset();
    }
    ~script_file_t() { std::filesystem::remove(path); }
};

double raw_read_seconds(const std::string& path) {
    std::vector<char> buffer(4096);
    const auto start = clock_type::now();
    int fd = ::open(path.c_str(), O_RDONLY);
    while (::read(fd, buffer.data(), buffer.size()) > 0) benchmark::DoNotOptimize(buffer.data());
    ::close(fd);
    return seconds_since(start);
}

double raw_write_seconds(const std::string& path, const std::vector<char>& bytes) {
    const std::string temp = path + ".raw";
    const std::string target = path + ".rawtarget";
    const auto start = clock_type::now();
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    for (size_t done = 0; done < bytes.size(); done += 4096)
        if (::write(fd, bytes.data() + done, std::min<size_t>(4096, bytes.size() - done)) < 0) std::abort();
    ::fsync(fd);
    ::close(fd);
    ::rename(temp.c_str(), target.c_str());
    int dir = ::open(std::filesystem::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    ::fsync(dir);
    ::close(dir);
    const double s = seconds_since(start);
    std::filesystem::remove(target);
    return s;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct child_result_t {
    double seconds = 0;
    double peak_kb = 0;
};

// The process's peak resident size in kB since its start (VmHWM: unlike ru_maxrss, it starts afresh at exec
// and does not carry the parent's size from before it).
double peak_resident_kb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6));
    return 0;
}

// Runs this program afresh as `--load PATH` (or `--idle`): a new process, not a fork that would inherit the
// generator's heap. The child writes its load time and peak size to stdout.
child_result_t in_fresh_process(const char* what, const std::string& path) {
    int fds[2];
    if (::pipe(fds) != 0) std::abort();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execl("/proc/self/exe", "bench_script_load", what, path.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    child_result_t result;
    if (::read(fds[0], &result, sizeof result) != sizeof result) std::abort();
    ::close(fds[0]);
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) std::abort();
    return result;
}

// The child's side: loads the file (or nothing) and reports the time.
int child_main(const std::string& what, const std::string& path) {
    child_result_t result;
    if (what == "--load") {
        const auto start = clock_type::now();
        auto root = load_root(path);
        benchmark::DoNotOptimize(root.get());
        result.seconds = seconds_since(start);
        root.release();  // the tree is left to the process's end
    }
    result.peak_kb = peak_resident_kb();
    return ::write(STDOUT_FILENO, &result, sizeof result) == sizeof result ? 0 : 1;
}

void script_load_save(benchmark::State& state) {
    const double megabytes = double(state.range(0)) / 10;
    const script_file_t file(megabytes);
    std::vector<double> raws, loads;
    double peak_bytes = 0;
    for (auto _ : state) {
        raws.push_back(raw_read_seconds(file.path));
        const child_result_t idle = in_fresh_process("--idle", file.path);
        const child_result_t load = in_fresh_process("--load", file.path);
        state.SetIterationTime(load.seconds);
        loads.push_back(load.seconds);
        peak_bytes = std::max(peak_bytes, double(load.peak_kb - idle.peak_kb) * 1024);
    }
    const double raw = median(raws), load = median(loads);
    // The save of the loaded tree, beside a raw write of its bytes.
    std::vector<char> bytes(file.size);
    {
        int fd = ::open(file.path.c_str(), O_RDONLY);
        if (::read(fd, bytes.data(), bytes.size()) != long(bytes.size())) std::abort();
        ::close(fd);
    }
    double save = 1e9, raw_write = 1e9;
    {
        auto root = load_root(file.path);
        const std::string out = file.path + ".saved";
        for (int i = 0; i < 3; ++i) {
            const auto start = clock_type::now();
            save_root(*root, out);
            save = std::min(save, seconds_since(start));
            raw_write = std::min(raw_write, raw_write_seconds(file.path, bytes));
        }
        std::filesystem::remove(out);
    }
    state.SetBytesProcessed(int64_t(state.iterations() * file.size));
    state.counters["file_MB"] = double(file.size) / (1 << 20);
    state.counters["raw_ms"] = raw * 1e3;
    state.counters["load_ms"] = load * 1e3;
    state.counters["load_x"] = load / raw;
    state.counters["save_ms"] = save * 1e3;
    state.counters["rawwrite_ms"] = raw_write * 1e3;
    state.counters["save_x"] = save / raw_write;
    state.counters["peak_MB"] = peak_bytes / (1 << 20);
    state.counters["mem_x"] = peak_bytes / double(file.size);
}

// A settings file that is nothing but one list of empty entries, each `texts` one-byte strings of another writer:
// the densest a file can ask for memory. One line: its load's peak beside its size.
void empty_list_load(benchmark::State& state, int32_t var_type, int32_t texts) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("ostrevan-list-bench-" + std::to_string(::getpid()))).string();
    const int32_t entries = int32_t(state.range(0)) * (1 << 20) / texts;
    {
        mfc_storage_t out(from_utf8(path), mfc_storage_t::mode_write, pin);
        out.write_int(1).write_int(var_type).write_string(u"list").write_int(entries);
        if (!out.close()) std::abort();
        std::ofstream tail(path, std::ios::binary | std::ios::app);
        const std::vector<char> empty(size_t(entries) * size_t(texts) + 4, '\0');  // the entries, then an empty tree
        tail.write(empty.data(), std::streamsize(empty.size()));
    }
    const double size = double(std::filesystem::file_size(path));
    double peak_bytes = 0;
    for (auto _ : state) {
        const child_result_t idle = in_fresh_process("--idle", path);
        const child_result_t load = in_fresh_process("--load", path);
        state.SetIterationTime(load.seconds);
        peak_bytes = std::max(peak_bytes, double(load.peak_kb - idle.peak_kb) * 1024);
    }
    std::filesystem::remove(path);
    state.counters["file_MB"] = size / (1 << 20);
    state.counters["peak_MB"] = peak_bytes / (1 << 20);
    state.counters["mem_x"] = peak_bytes / size;
}

// Cards (type 1) have three texts, favourites (type 3) two.
void empty_cards_load(benchmark::State& state) {
    empty_list_load(state, 1, 3);
}

void empty_favs_load(benchmark::State& state) {
    empty_list_load(state, 3, 2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && (std::string(argv[1]) == "--load" || std::string(argv[1]) == "--idle"))
        return child_main(argv[1], argv[2]);
    // `--make MB PATH` keeps a generated file, for a profiler to run `--load PATH` on.
    if (argc == 4 && std::string(argv[1]) == "--make") {
        script_file_t file(std::stod(argv[2]));
        std::filesystem::rename(file.path, argv[3]);
        return 0;
    }
    auto* bench = benchmark::RegisterBenchmark("script_load_save/MBx10", script_load_save);
    bench->Arg(1)->Arg(10)->Arg(100)->Iterations(9)->UseManualTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("empty_cards_load/MB", empty_cards_load)
        ->Arg(10)
        ->Iterations(3)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("empty_favs_load/MB", empty_favs_load)
        ->Arg(10)
        ->Iterations(3)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    const char* large = std::getenv("OSTREVAN_BENCH_LARGE");
    if (large && *large == '1') bench->Arg(1000);
    benchmark::Initialize(&argc, argv);
    benchmark::ConsoleReporter reporter(benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}
