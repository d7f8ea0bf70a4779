// ostrevan-modem sim, send and listen as a user runs them: a request to the simulated bank over TCP, and
// the bank's answer shown by listen.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

const std::string tool = std::string(std::getenv("OSTREVAN_BINARY_DIR")) + "/tools/ostrevan-modem/ostrevan-modem";

// A running ostrevan-modem whose standard output (and error) is read line by line.
class child_t {
public:
    explicit child_t(std::vector<std::string> args) {
        int fds[2];
        if (::pipe(fds) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ < 0) throw std::runtime_error("fork");
        if (pid_ == 0) {
            ::dup2(fds[1], 1);
            ::dup2(fds[1], 2);
            ::close(fds[0]);
            std::vector<char*> argv{const_cast<char*>(tool.c_str())};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(tool.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(fds[1]);
        out_ = fds[0];
    }
    ~child_t() {
        if (pid_ > 0) {  // never -1: that would signal every process
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
    }
    // The next line, or empty after `seconds` without one.
    std::string line(int seconds = 30) {
        for (;;) {
            if (const size_t end = buffer_.find('\n'); end != std::string::npos) {
                std::string l = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return l;
            }
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, seconds * 1000) <= 0) return {};
            char chunk[1024];
            const ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0) return {};
            buffer_.append(chunk, size_t(n));
        }
    }
    int wait() {
        int status = 0;
        if (pid_ <= 0) return -1;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
};

}  // namespace

TEST(OstrevanModemLink, SendsARequestAndListenShowsTheBanksAnswer) {
    const std::string address = "tcp:127.0.0.1:" + std::to_string(20000 + ::getpid() % 20000);
    const auto ledger = std::filesystem::temp_directory_path() / ("ostrevan-listen-" + std::to_string(::getpid()));
    child_t sim({"sim", "--listen", address, "--bank-number", "+79001112233"});
    ASSERT_EQ(sim.line(), "имитатор модема на " + address + ", банк на номере +79001112233");
    {
        child_t send({"send", "--modem", address, "--to", "+79001112233", "--port", "0x2201", "BAL;;ver=w2.17"});
        EXPECT_EQ(send.line(), "отправлено");
        EXPECT_EQ(send.wait(), 0);
    }
    const std::string answer = "Баланс карты: 12 345,67 руб. APP_PORT=2201";
    // Listening only looks: a second look with a record of its own still finds the answer in the modem.
    for (const char* run : {"first", "second"}) {
        std::filesystem::remove(ledger);
        child_t listen({"listen", "--modem", address, "--ledger", ledger.string()});
        EXPECT_EQ(listen.line(), answer) << run;
    }
    // Asked to take, it takes: the modem holds nothing for the next look.
    std::filesystem::remove(ledger);
    {
        child_t listen({"listen", "--modem", address, "--ledger", ledger.string(), "--take"});
        EXPECT_EQ(listen.line(), answer);
    }
    std::filesystem::remove(ledger);
    child_t after({"listen", "--modem", address, "--ledger", ledger.string()});
    EXPECT_EQ(after.line(3), "");
    std::filesystem::remove(ledger);
}

TEST(OstrevanModemLink, RefusesBadArguments) {
    struct case_t {
        std::vector<std::string> args;
        std::string first_line;
        int status;
    };
    const case_t cases[] = {
        {{"send", "--to", "+7900"}, "Использование: ostrevan-modem send --modem URI --to NUMBER [--port N] TEXT", 2},
        {{"send", "--modem", "sim", "--to", "1", "--port", "70000", "x"},
         "Использование: ostrevan-modem send --modem URI --to NUMBER [--port N] TEXT",
         2},
        {{"send", "--modem", "usb:1", "--to", "1", "x"},
         "ostrevan-modem send: unknown modem address usb:1 (expected sim, serial:DEVICE[:BAUD], tcp:HOST:PORT, "
         "mm[:MODEM] or auto)",
         1},
        {{"send", "--modem", "tcp:127.0.0.1:1", "--to", "1", "x"},
         "ostrevan-modem: modem: 127.0.0.1:1: Connection refused",
         1},
        {{"listen"}, "Использование: ostrevan-modem listen --modem URI [--ledger FILE] [--take]", 2},
        {{"sim", "--bank-rules", "/nonexistent"}, "ostrevan-modem sim: cannot read bank rules /nonexistent", 1},
    };
    for (const auto& c : cases) {
        child_t child(c.args);
        EXPECT_EQ(child.line(), c.first_line) << c.args[0];
        EXPECT_EQ(child.wait(), c.status) << c.args[0];
    }
    child_t in_process({"send", "--modem", "sim", "--to", "+79001234567", "PAY 1"});
    EXPECT_EQ(in_process.line(), "отправлено");
    EXPECT_EQ(in_process.wait(), 0);
}
