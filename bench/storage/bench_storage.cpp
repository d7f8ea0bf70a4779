// Reading and writing a 10 MB settings archive of mixed strings and integers, against reading and writing
// the same bytes raw (4096-byte system calls, and for writing the same fsync and rename) in the same run.
// The ratio of the two is the cost of the archive's encoding and scrambling.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/u16.h"
#include "storage/mfc_storage.h"

namespace {

const std::u16string pin = u"1234";

struct data_t {
    std::vector<std::u16string> strings;  // one string after each integer
    std::string path;
    std::vector<char> bytes;  // the archive file as written
};

const data_t& data() {
    static const data_t shared = [] {
        data_t d;
        d.path = (std::filesystem::temp_directory_path() / ("ostrevan-bench-" + std::to_string(::getpid()))).string();
        std::mt19937 rng(7);
        size_t total = 0;
        while (total < 10 * 1024 * 1024) {
            // Mostly short texts (names, numbers), some past the one-byte length.
            size_t n = rng() % 8 == 0 ? 255 + rng() % 600 : rng() % 40;
            std::u16string s(n, u'\0');
            for (char16_t& c : s) c = static_cast<char16_t>(rng() % 2 ? u'а' + rng() % 32 : u'0' + rng() % 10);
            total += 4 + 4 + 2 * n;
            d.strings.push_back(std::move(s));
        }
        {
            mfc_storage_t s(from_utf8(d.path), mfc_storage_t::mode_write, pin);
            for (size_t i = 0; i < d.strings.size(); ++i)
                s.write_int(static_cast<int32_t>(i)).write_string(d.strings[i]);
            if (!s.close()) std::abort();
        }
        FILE* f = std::fopen(d.path.c_str(), "rb");
        d.bytes.resize(std::filesystem::file_size(d.path));
        if (std::fread(d.bytes.data(), 1, d.bytes.size(), f) != d.bytes.size()) std::abort();
        std::fclose(f);
        return d;
    }();
    return shared;
}

void archive_write(benchmark::State& state) {
    const data_t& d = data();
    for (auto _ : state) {
        mfc_storage_t s(from_utf8(d.path), mfc_storage_t::mode_write, pin);
        for (size_t i = 0; i < d.strings.size(); ++i) s.write_int(static_cast<int32_t>(i)).write_string(d.strings[i]);
        if (!s.close()) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.bytes.size()));
}

void raw_write(benchmark::State& state) {
    const data_t& d = data();
    const std::string temp = d.path + ".raw";
    for (auto _ : state) {
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        for (size_t done = 0; done < d.bytes.size(); done += 4096)
            if (::write(fd, d.bytes.data() + done, std::min<size_t>(4096, d.bytes.size() - done)) < 0) std::abort();
        ::fsync(fd);
        ::close(fd);
        ::rename(temp.c_str(), d.path.c_str());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.bytes.size()));
}

void archive_read(benchmark::State& state) {
    const data_t& d = data();
    for (auto _ : state) {
        mfc_storage_t s(from_utf8(d.path), mfc_storage_t::mode_read, pin);
        int32_t n;
        std::u16string text;
        for (size_t i = 0; i < d.strings.size(); ++i) s.read_int(n).read_string(text);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.bytes.size()));
}

void raw_read(benchmark::State& state) {
    const data_t& d = data();
    std::vector<char> buffer(4096);
    for (auto _ : state) {
        int fd = ::open(d.path.c_str(), O_RDONLY);
        while (::read(fd, buffer.data(), buffer.size()) > 0) benchmark::DoNotOptimize(buffer.data());
        ::close(fd);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * d.bytes.size()));
}

BENCHMARK(archive_write)->Unit(benchmark::kMillisecond);
BENCHMARK(raw_write)->Unit(benchmark::kMillisecond);
BENCHMARK(archive_read)->Unit(benchmark::kMillisecond);
BENCHMARK(raw_read)->Unit(benchmark::kMillisecond);

struct cleanup_t {
    ~cleanup_t() { std::remove(data().path.c_str()); }
} cleanup;

}  // namespace
