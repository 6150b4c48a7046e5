// The card reader library against a real pcscd with the vpcd reader driver and the project's
// own virtual card (virtual_card.py). Each test starts its own pcscd in the foreground and stops
// it again; a card is held by running virtual_card.py and taken away by ending it.
//
// The pcscd of these tests is kept apart from a system one: it runs in a private mount namespace
// in which /run/pcscd (where pcsc-lite 1.9.9's daemon always puts its socket and pid file; it
// ignores PCSCLITE_CSOCK_NAME) is a folder of the test's own, and the test process reaches it by
// PCSCLITE_CSOCK_NAME (which the client library does honour). Its readers come from a
// reader.conf of the test's own, with vpcd on a free port pair instead of 35963/35964.
//
// Skipped only when pcscd, the vpcd driver or /usr/bin/python3 is missing, or when this machine
// allows no private namespace while another pcscd already runs.

#include "cardlibrary.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int32_t kMode = 12960;
constexpr size_t kBufferSize = 1024;
constexpr const char* kPython = "/usr/bin/python3";
constexpr auto kCardTimeout = 10s;  // pcscd polls vpcd for the card every 400 ms
constexpr auto kQuickRead = 1000ms; // what a read may take at most, whatever the state
constexpr unsigned kWatchdogSeconds = 50;

std::optional<std::string> firstExisting(std::initializer_list<const char*> paths) {
    for (const char* path : paths)
        if (access(path, R_OK) == 0) return std::string(path);
    return std::nullopt;
}

std::string readText(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// How pcscd gets a /run/pcscd of its own.
enum class Isolation { MountNamespace, UserNamespace, None };

// Runs in the forked child before exec: only system calls on data prepared before the fork.
struct ChildSetup {
    Isolation isolation = Isolation::None;
    const char* runDir = nullptr;
    std::string uidMap;
    std::string gidMap;
};

bool writeProcFile(const char* path, const std::string& text) {
    const int fd = open(path, O_WRONLY);
    if (fd < 0) return false;
    const bool ok = write(fd, text.data(), text.size()) == ssize_t(text.size());
    close(fd);
    return ok;
}

bool enterPrivateRun(const ChildSetup& setup) {
    switch (setup.isolation) {
    case Isolation::None:
        return true;
    case Isolation::MountNamespace:
        if (unshare(CLONE_NEWNS) != 0) return false;
        break;
    case Isolation::UserNamespace:
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
        writeProcFile("/proc/self/setgroups", "deny");
        if (!writeProcFile("/proc/self/uid_map", setup.uidMap)) return false;
        if (!writeProcFile("/proc/self/gid_map", setup.gidMap)) return false;
        break;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
    mkdir("/run/pcscd", 0755); // pcscd's own folder; usually there already
    return mount(setup.runDir, "/run/pcscd", nullptr, MS_BIND, nullptr) == 0;
}

// Starts argv[0] with stdout and stderr going to log. The child dies with the test process.
pid_t spawn(const std::vector<std::string>& args, const fs::path& log, const ChildSetup& setup) {
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const std::string logPath = log.string();
    const pid_t parent = getpid();

    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(126);
    const int out = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (out >= 0) {
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        close(out);
    }
    const int in = open("/dev/null", O_RDONLY);
    if (in >= 0) dup2(in, STDIN_FILENO);
    if (!enterPrivateRun(setup)) _exit(125);
    execv(argv[0], argv.data());
    _exit(127);
}

// Waits up to timeout for the process to end; kills it when it does not.
void stopProcess(pid_t pid, std::chrono::milliseconds timeout) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    const auto until = Clock::now() + timeout;
    while (Clock::now() < until) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(10ms);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

bool socketAnswers(const std::string& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

bool portFree(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(uint16_t(port));
    const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

// vpcd listens on its configured port for slot 0 and on the next one for slot 1.
int freePortPair() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int port =
            20000 + int((unsigned(getpid()) * 7919u + unsigned(attempt) * 104729u) % 40000u);
        if (portFree(port) && portFree(port + 1)) return port;
    }
    return 0;
}

void watchdog(int) {
    static const char message[] = "pcsc_test: watchdog: a test ran too long\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, message, sizeof message - 1);
    _exit(3); // the children die with this process (PR_SET_PDEATHSIG)
}

struct Read {
    int32_t result = 0;
    std::string text; // what the library wrote, up to the first zero byte
    bool restZero = true;
    Clock::duration took{};
};

class PcscReader : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        skip_.reset();
        const auto pcscd = firstExisting({"/usr/sbin/pcscd", "/usr/local/sbin/pcscd"});
        const auto vpcd = firstExisting({"/usr/lib/pcsc/drivers/serial/libifdvpcd.so",
                                         "/usr/lib64/pcsc/drivers/serial/libifdvpcd.so",
                                         "/usr/local/lib/pcsc/drivers/serial/libifdvpcd.so"});
        if (!pcscd) return skip("pcscd is not installed");
        if (!vpcd) return skip("the vpcd reader driver (vsmartcard-vpcd) is not installed");
        if (access(kPython, X_OK) != 0) return skip("/usr/bin/python3 is not installed");
        pcscd_ = *pcscd;

        char dirTemplate[] = "/tmp/velmora-pcsc-XXXXXX";
        ASSERT_NE(mkdtemp(dirTemplate), nullptr) << std::strerror(errno);
        dir_ = dirTemplate;
        fs::create_directory(dir_ / "run");

        port_ = freePortPair();
        ASSERT_NE(port_, 0) << "no free port pair for vpcd";
        std::ofstream(dir_ / "reader.conf") << "FRIENDLYNAME \"Virtual PCD\"\n"
                                            << "DEVICENAME /dev/null:" << port_ << "\n"
                                            << "LIBPATH " << *vpcd << "\n"
                                            << "CHANNELID " << port_ << "\n";
        std::ofstream(dir_ / "no-readers.conf") << "# no readers: the reader is unplugged\n";

        // A private /run/pcscd: as root a mount namespace, otherwise a user namespace too.
        setup_.runDir = runDirPath_.assign((dir_ / "run").string()).c_str();
        setup_.uidMap = "0 " + std::to_string(geteuid()) + " 1";
        setup_.gidMap = "0 " + std::to_string(getegid()) + " 1";
        std::optional<Isolation> chosen;
        for (Isolation isolation : {Isolation::MountNamespace, Isolation::UserNamespace}) {
            setup_.isolation = isolation;
            const pid_t probe = spawn({"/bin/true"}, dir_ / "probe.log", setup_);
            int status = 0;
            waitpid(probe, &status, 0);
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
                chosen = isolation;
                break;
            }
        }
        if (chosen) {
            setup_.isolation = *chosen;
            socket_ = (dir_ / "run" / "pcscd.comm").string();
        } else if (geteuid() == 0 && !socketAnswers("/run/pcscd/pcscd.comm")) {
            setup_.isolation = Isolation::None; // no namespaces, but no other pcscd either
            socket_ = "/run/pcscd/pcscd.comm";
        } else {
            return skip("no private namespace for pcscd here, and another pcscd runs");
        }

        // Read once by the client library, at its first call: before the first get_idm.
        setenv("PCSCLITE_CSOCK_NAME", socket_.c_str(), 1);
        unsetenv("VELMORA_CARD_FILE");
    }

    static void TearDownTestSuite() {
        if (!dir_.empty()) {
            std::error_code ignored;
            fs::remove_all(dir_, ignored);
        }
        dir_.clear();
    }

    void SetUp() override {
        if (skip_) GTEST_SKIP() << *skip_;
        std::signal(SIGALRM, watchdog);
        alarm(kWatchdogSeconds);
    }

    void TearDown() override {
        for (auto& [slot, pid] : cards_)
            stopProcess(pid, 3000ms);
        cards_.clear();
        stopPcscd();
        alarm(0);
        if (HasFailure() && !dir_.empty()) {
            for (const auto& entry : fs::directory_iterator(dir_))
                if (entry.path().extension() == ".log")
                    std::cerr << "---- " << entry.path().filename().string() << "\n"
                              << readText(entry.path());
        }
    }

    static void skip(const std::string& reason) { skip_ = reason; }

    void startPcscd(const std::string& conf = "reader.conf") {
        ASSERT_LT(pcscdPid_, 0) << "pcscd runs already";
        pcscdPid_ = spawn({pcscd_, "--foreground", "--config", (dir_ / conf).string()},
                          dir_ / "pcscd.log", setup_);
        const auto until = Clock::now() + 10s;
        while (!socketAnswers(socket_)) {
            int status = 0;
            if (waitpid(pcscdPid_, &status, WNOHANG) == pcscdPid_) {
                pcscdPid_ = -1;
                FAIL() << "pcscd ended at start (status " << status << ")";
            }
            ASSERT_LT(Clock::now(), until) << "pcscd did not open " << socket_;
            std::this_thread::sleep_for(20ms);
        }
    }

    void stopPcscd() {
        stopProcess(pcscdPid_, 5000ms);
        pcscdPid_ = -1;
    }

    // Holds a card with this IDm on the reader's slot 0 or 1.
    void holdCard(const std::string& idm, int slot = 0) {
        ASSERT_EQ(cards_.count(slot), 0u) << "a card is on slot " << slot << " already";
        cards_[slot] = spawn(
            {kPython, VIRTUAL_CARD_SCRIPT, "--idm", idm, "--port", std::to_string(port_ + slot)},
            dir_ / ("card-" + std::to_string(slot) + ".log"), ChildSetup{});
    }

    void takeAway(int slot = 0) {
        auto card = cards_.find(slot);
        ASSERT_NE(card, cards_.end()) << "no card on slot " << slot;
        stopProcess(card->second, 3000ms);
        cards_.erase(card);
    }

    static velmora::SonyIdmLibrary& library() {
        // One binding for the whole process, as in the program: its PC/SC context lives on.
        static velmora::SonyIdmLibrary instance{QStringLiteral(SONY_IDM_PATH)};
        return instance;
    }

    static Read readCard() {
        std::array<char, kBufferSize + 1> buffer{};
        Read r;
        const auto start = Clock::now();
        r.result = library().get_idm(kMode, buffer.data());
        r.took = Clock::now() - start;
        r.text = std::string(buffer.data());
        for (size_t i = r.text.size(); i < buffer.size(); ++i)
            if (buffer[i] != 0) r.restZero = false;
        return r;
    }

    // Reads until the result is wanted (>= 0 or < 0), each read quick; the last read.
    static Read readUntil(bool present, std::chrono::milliseconds timeout = kCardTimeout) {
        const auto until = Clock::now() + timeout;
        Read last;
        do {
            last = readCard();
            EXPECT_LT(last.took, kQuickRead) << "get_idm took too long";
            if ((last.result >= 0) == present) break;
            std::this_thread::sleep_for(50ms);
        } while (Clock::now() < until);
        return last;
    }

    static void expectIdm(const Read& r, const std::string& idm) {
        EXPECT_EQ(r.result, 16);
        EXPECT_EQ(r.text, idm);
        EXPECT_TRUE(r.restZero) << "bytes written after the IDm";
    }

    static void expectNoCard(const Read& r) {
        EXPECT_LT(r.result, 0);
        EXPECT_EQ(r.text, "");
        EXPECT_TRUE(r.restZero) << "bytes written without a card";
    }

    static inline std::optional<std::string> skip_;
    static inline fs::path dir_;
    static inline std::string pcscd_;
    static inline std::string socket_;
    static inline std::string runDirPath_;
    static inline int port_ = 0;
    static inline ChildSetup setup_;

    pid_t pcscdPid_ = -1;
    std::map<int, pid_t> cards_;
};

TEST_F(PcscReader, NoCardIsNegativeAtOnce) {
    ASSERT_NO_FATAL_FAILURE(startPcscd());
    for (int i = 0; i < 20; ++i) {
        const Read r = readCard();
        expectNoCard(r);
        EXPECT_LT(r.took, kQuickRead);
    }
}

TEST_F(PcscReader, ReadsTheIdmOfTheCardOnTheReader) {
    ASSERT_NO_FATAL_FAILURE(startPcscd());
    ASSERT_NO_FATAL_FAILURE(holdCard("0123456789abcdef"));
    expectIdm(readUntil(true), "0123456789ABCDEF");
    for (int i = 0; i < 10; ++i)
        expectIdm(readCard(), "0123456789ABCDEF"); // the same every time
}

TEST_F(PcscReader, CardTakenAwayThenAnotherCard) {
    ASSERT_NO_FATAL_FAILURE(startPcscd());
    ASSERT_NO_FATAL_FAILURE(holdCard("0123456789ABCDEF"));
    expectIdm(readUntil(true), "0123456789ABCDEF");

    ASSERT_NO_FATAL_FAILURE(takeAway());
    expectNoCard(readUntil(false));
    expectNoCard(readCard());

    ASSERT_NO_FATAL_FAILURE(holdCard("FEDCBA9876543210"));
    expectIdm(readUntil(true), "FEDCBA9876543210");

    // The same card on the other slot of the reader.
    ASSERT_NO_FATAL_FAILURE(takeAway());
    expectNoCard(readUntil(false));
    ASSERT_NO_FATAL_FAILURE(holdCard("0011223344556677", 1));
    expectIdm(readUntil(true), "0011223344556677");
}

TEST_F(PcscReader, PcscdRestartNeedsNoNewProcess) {
    ASSERT_NO_FATAL_FAILURE(startPcscd());
    ASSERT_NO_FATAL_FAILURE(holdCard("0123456789ABCDEF"));
    expectIdm(readUntil(true), "0123456789ABCDEF");

    stopPcscd();
    for (int i = 0; i < 10; ++i) {
        const Read r = readCard();
        expectNoCard(r);
        EXPECT_LT(r.took, kQuickRead);
        std::this_thread::sleep_for(20ms);
    }

    // The card stays held; it reaches the new pcscd's vpcd by itself.
    ASSERT_NO_FATAL_FAILURE(startPcscd());
    expectIdm(readUntil(true), "0123456789ABCDEF");

    // Twice, so that the context made after the first restart is given up too.
    stopPcscd();
    expectNoCard(readCard());
    ASSERT_NO_FATAL_FAILURE(startPcscd());
    expectIdm(readUntil(true), "0123456789ABCDEF");
}

TEST_F(PcscReader, ReaderUnpluggedAndPluggedAgain) {
    ASSERT_NO_FATAL_FAILURE(startPcscd());
    ASSERT_NO_FATAL_FAILURE(holdCard("0123456789ABCDEF"));
    expectIdm(readUntil(true), "0123456789ABCDEF");

    // pcscd with no reader at all: SCARD_E_NO_READERS_AVAILABLE.
    stopPcscd();
    ASSERT_NO_FATAL_FAILURE(startPcscd("no-readers.conf"));
    for (int i = 0; i < 10; ++i) {
        const Read r = readCard();
        expectNoCard(r);
        EXPECT_LT(r.took, kQuickRead);
    }

    stopPcscd();
    ASSERT_NO_FATAL_FAILURE(startPcscd());
    expectIdm(readUntil(true), "0123456789ABCDEF");
}

} // namespace
