// The card reader library against a pcscd of the test's own with vpcd and virtual_card.py
// (a card is held while the script runs). pcscd runs in a private mount namespace where
// /run/pcscd, which pcsc-lite's daemon always uses, is a folder of the test's; this process
// reaches it by PCSCLITE_CSOCK_NAME. vpcd listens on a free port pair of the test's own.

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

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr const char* kPcscd = "/usr/sbin/pcscd";
constexpr const char* kVpcd = "/usr/lib/pcsc/drivers/serial/libifdvpcd.so";
constexpr const char* kPython = "/usr/bin/python3";

bool writeFile(const char* path, const std::string& text) {
    const int fd = open(path, O_WRONLY);
    const bool ok = fd >= 0 && write(fd, text.data(), text.size()) == ssize_t(text.size());
    if (fd >= 0) close(fd);
    return ok;
}

// Whether a TCP port can be bound (bind) or a unix socket answers (connect).
template <typename Address>
bool socketOk(const Address& address, int (*call)(int, const sockaddr*, socklen_t)) {
    const auto* raw = reinterpret_cast<const sockaddr*>(&address);
    const int fd = socket(raw->sa_family, SOCK_STREAM, 0);
    const bool ok = call(fd, raw, sizeof address) == 0;
    close(fd);
    return ok;
}
bool portFree(int port) {
    return socketOk(sockaddr_in{AF_INET, htons(uint16_t(port)), {}, {}}, ::bind);
}

// A hanging child is left to the watchdog (SIGALRM ends this process and so its children).
void stop(pid_t& pid) {
    if (pid > 0 && kill(pid, SIGTERM) == 0) waitpid(pid, nullptr, 0);
    pid = -1;
}

class PcscReader : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        for (const char* file : {kPcscd, kVpcd, kPython})
            if (access(file, R_OK) != 0) return void(skip_ = std::string(file) + " is missing");
        char dirTemplate[] = "/tmp/velmora-pcsc-XXXXXX";
        ASSERT_NE(mkdtemp(dirTemplate), nullptr);
        dir_ = dirTemplate;
        fs::create_directory(dir_ / "run");
        runDir_ = (dir_ / "run").string();
        std::strncpy(socket_.sun_path, (runDir_ + "/pcscd.comm").c_str(),
                     sizeof socket_.sun_path - 1);
        uidMap_ = "0 " + std::to_string(geteuid()) + " 1";
        gidMap_ = "0 " + std::to_string(getegid()) + " 1";
        // As root a mount namespace; otherwise a user namespace as well.
        for (int flags : {CLONE_NEWNS, CLONE_NEWUSER | CLONE_NEWNS}) {
            int status = -1;
            waitpid(spawn({"/bin/true"}, "probe.log", flags), &status, 0);
            if (status == 0 && namespaceFlags_ == 0) namespaceFlags_ = flags;
        }
        if (namespaceFlags_ == 0) return void(skip_ = "no private namespace for pcscd here");
        for (port_ = 20000 + getpid() % 40000; !portFree(port_) || !portFree(port_ + 1);)
            port_ += 2;
        std::ofstream(dir_ / "reader.conf")
            << "FRIENDLYNAME \"Virtual PCD\"\nDEVICENAME /dev/null:" << port_ << "\nLIBPATH "
            << kVpcd << "\nCHANNELID " << port_ << "\n";
        std::ofstream(dir_ / "no-readers.conf") << "\n";
        // The client library reads these once, at its first call.
        setenv("PCSCLITE_CSOCK_NAME", socket_.sun_path, 1);
        setenv("VELMORA_CARD_FILE", "", 1);
    }

    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    void SetUp() override {
        if (!skip_.empty()) GTEST_SKIP() << skip_;
        alarm(50); // the watchdog: SIGALRM ends the process if a test hangs
    }

    void TearDown() override {
        for (pid_t& card : cards_)
            stop(card);
        stop(pcscd_);
        alarm(0);
        if (HasFailure())
            for (const auto& entry : fs::directory_iterator(dir_))
                if (entry.path().extension() == ".log")
                    std::cerr << "---- " << entry.path() << "\n"
                              << std::ifstream(entry.path()).rdbuf();
    }

    // Starts a child with its output in dir_/log; it dies with this process.
    static pid_t spawn(std::vector<std::string> args, const std::string& log, int namespaces) {
        std::vector<char*> argv(args.size() + 1); // ending with nullptr
        std::transform(args.begin(), args.end(), argv.begin(),
                       [](auto& arg) { return arg.data(); });
        const std::string logPath = (dir_ / log).string();
        const pid_t parent = getpid(), pid = fork();
        if (pid != 0) return pid;
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(126);
        const int out = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
        if (namespaces != 0 && !enterPrivateRun(namespaces)) _exit(125);
        execv(argv[0], argv.data());
        _exit(127);
    }

    // In the child: a private mount namespace with runDir_ bound over /run/pcscd.
    static bool enterPrivateRun(int namespaces) {
        if (unshare(namespaces) != 0) return false;
        if (namespaces & CLONE_NEWUSER) {
            writeFile("/proc/self/setgroups", "deny");
            if (!writeFile("/proc/self/uid_map", uidMap_)) return false;
            if (!writeFile("/proc/self/gid_map", gidMap_)) return false;
        }
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
        mkdir("/run/pcscd", 0755);
        return mount(runDir_.c_str(), "/run/pcscd", nullptr, MS_BIND, nullptr) == 0;
    }

    void startPcscd(const char* conf = "reader.conf") {
        pcscd_ = spawn({kPcscd, "--foreground", "--config", (dir_ / conf).string()}, "pcscd.log",
                       namespaceFlags_);
        for (const auto until = Clock::now() + 10s; !socketOk(socket_, ::connect);) {
            if (waitpid(pcscd_, nullptr, WNOHANG) == pcscd_) pcscd_ = -1;
            ASSERT_GT(pcscd_, 0) << "pcscd ended at start";
            ASSERT_LT(Clock::now(), until) << "pcscd opened no socket";
            std::this_thread::sleep_for(20ms);
        }
    }

    void holdCard(const std::string& idm, int slot = 0) {
        ASSERT_LT(cards_[slot], 0);
        cards_[slot] = spawn(
            {kPython, VIRTUAL_CARD_SCRIPT, "--idm", idm, "--port", std::to_string(port_ + slot)},
            "card.log", 0);
    }

    // Reads until that IDm ("" for no card) shows, for up to 10 s; or, with `reads`, expects it
    // on that many reads in a row. Every read must be quick and write nothing more.
    static void expectCard(const std::string& idm, int reads = 0) {
        static velmora::SonyIdmLibrary library{QStringLiteral(SONY_IDM_PATH)};
        for (const auto until = Clock::now() + 10s;; std::this_thread::sleep_for(20ms)) {
            std::array<char, 1025> buffer{};
            const auto start = Clock::now();
            const int32_t result = library.get_idm(12960, buffer.data());
            EXPECT_LT(Clock::now() - start, 1s) << "get_idm took too long";
            std::string text(buffer.data(), buffer.size());
            text.erase(text.find_last_not_of('\0') + 1);
            if (reads == 0 && (result >= 0) == idm.empty() && Clock::now() < until) continue;
            EXPECT_TRUE(idm.empty() ? result < 0 : result == 16) << result;
            EXPECT_EQ(text, idm);
            if (--reads <= 0) return;
        }
    }

    static inline std::string skip_, runDir_, uidMap_, gidMap_;
    static inline fs::path dir_;
    static inline sockaddr_un socket_{AF_UNIX, {}};
    static inline int port_ = 0, namespaceFlags_ = 0;
    pid_t pcscd_ = -1, cards_[2] = {-1, -1};
};

TEST_F(PcscReader, CardOnTakenAwayAndAnother) {
    ASSERT_NO_FATAL_FAILURE(startPcscd());
    expectCard("", 5);
    ASSERT_NO_FATAL_FAILURE(holdCard("0123456789abcdef"));
    expectCard("0123456789ABCDEF");
    expectCard("0123456789ABCDEF", 5);
    stop(cards_[0]);
    expectCard("");
    expectCard("", 3);
    ASSERT_NO_FATAL_FAILURE(holdCard("FEDCBA9876543210"));
    expectCard("FEDCBA9876543210");
    stop(cards_[0]);
    expectCard("");
    ASSERT_NO_FATAL_FAILURE(holdCard("0011223344556677", 1)); // the reader's other slot
    expectCard("0011223344556677");
}

// Stopped, started with no reader, started again: the same process reads the card again.
TEST_F(PcscReader, PcscdRestartedNeedsNoNewProcess) {
    ASSERT_NO_FATAL_FAILURE(startPcscd());
    ASSERT_NO_FATAL_FAILURE(holdCard("0123456789ABCDEF"));
    expectCard("0123456789ABCDEF");
    for (const char* conf : {"no-readers.conf", "reader.conf"}) {
        stop(pcscd_);
        expectCard("", 5);
        ASSERT_NO_FATAL_FAILURE(startPcscd(conf));
        expectCard(conf[0] == 'n' ? "" : "0123456789ABCDEF", conf[0] == 'n' ? 3 : 0);
    }
}

} // namespace
