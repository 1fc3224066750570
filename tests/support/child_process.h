// Helper processes for tests (the test agent, snmpd, Net-SNMP's tools), and
// the folders they share with the test, on Linux and on Windows under Wine.
//
// Linux: fork and exec, ended by the child's PID, reaped with waitpid.
// Windows: Wine starts Linux programs but passes them no standard handles
// and gives no handle to wait on, so the test starts supervise.py (beside
// this header), which runs the command, writes its exit status to a file
// and ends it when a stop file appears or its lifetime runs out. Files are
// shared: the Linux path /tmp/x is Z:/tmp/x here.
//
// Paths handed to a child are Linux paths; local_path() gives the test's
// own view of them.
#ifndef PMSNMP_TESTS_SUPPORT_CHILD_PROCESS_H
#define PMSNMP_TESTS_SUPPORT_CHILD_PROCESS_H

#ifdef _WIN32
// Winsock 2 before windows.h, which would bring the first version.
#include <winsock2.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#ifndef _WIN32
extern char** environ;
#endif

namespace pmc_test {

// The test's own name for a Linux path.
inline std::string local_path(const std::string& linux_path) {
#ifdef _WIN32
    return "Z:" + linux_path;
#else
    return linux_path;
#endif
}

inline std::string read_text_file(const std::string& linux_path) {
    std::ifstream in(local_path(linux_path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline bool file_exists(const std::string& linux_path) {
    std::error_code ignored;
    return std::filesystem::exists(local_path(linux_path), ignored);
}

// A fresh folder under /tmp, removed with everything in it when this goes.
class SharedTempDir {
public:
    explicit SharedTempDir(const std::string& prefix) {
        static constexpr int kAttempts = 100;
        std::random_device seed;
        std::mt19937_64 random(seed());
        for (int attempt = 0; attempt < kAttempts && path_.empty(); ++attempt) {
            const std::string candidate = "/tmp/" + prefix + std::to_string(random() % 1000000000ULL);
            std::error_code code;
            if (std::filesystem::create_directory(local_path(candidate), code)) path_ = candidate;
        }
    }
    ~SharedTempDir() {
        if (path_.empty()) return;
        std::error_code ignored;
        std::filesystem::remove_all(local_path(path_), ignored);
    }
    SharedTempDir(const SharedTempDir&) = delete;
    SharedTempDir& operator=(const SharedTempDir&) = delete;

    bool ok() const { return !path_.empty(); }
    // The Linux path; empty when no folder could be made.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct ChildOptions {
    std::vector<std::string> env;  // NAME=VALUE, over the test's environment
    std::string out_path;          // standard output; empty: discarded
    std::string err_path;          // standard error; empty: discarded
    // The child ends with the test process even when the test dies without
    // stopping it (Linux: a signal at the parent's death; Windows: the
    // lifetime below, as nothing there tells of the parent's death).
    bool end_with_parent = false;
    int lifetime_s = 300;
};

class ChildProcess {
public:
    static constexpr int kNoExitCode = -1;

    ChildProcess() = default;
    ~ChildProcess() { stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // false with *error set when the command cannot be started.
    bool start(const std::vector<std::string>& argv, const ChildOptions& options, std::string* error);

    // The exit code once the child has ended within limit, else kNoExitCode
    // (a child ended by a signal reports 128 + the signal).
    int wait(std::chrono::milliseconds limit);
    bool ended() { return wait(std::chrono::milliseconds(0)) != kNoExitCode || !started_; }

    // Asks the child to end, waits a little, then ends it for good.
    void stop();

    // The child's process id while it runs (Linux), else -1.
    long pid() const;

private:
    static constexpr std::chrono::milliseconds kPoll{10};
    static constexpr std::chrono::milliseconds kGrace{3000};

    bool started_ = false;
    int exit_code_ = kNoExitCode;
#ifdef _WIN32
    std::unique_ptr<SharedTempDir> control_dir_;
    std::string status_path() const { return control_dir_->path() + "/status"; }
    std::string stop_path() const { return control_dir_->path() + "/stop"; }
    bool poll_status();
#else
    pid_t pid_ = -1;
    bool reap(int flags);
#endif
};

#ifdef _WIN32

// Each argument quoted as the C runtime's command-line parser reads it.
inline std::string quote_argument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

inline std::string supervisor_script() {
    const std::string here = __FILE__;
    return here.substr(0, here.find_last_of("/\\") + 1) + "supervise.py";
}

inline bool ChildProcess::start(const std::vector<std::string>& argv, const ChildOptions& options,
                                std::string* error) {
    stop();
    exit_code_ = kNoExitCode;
    control_dir_ = std::make_unique<SharedTempDir>("pmsnmp-child-");
    if (!control_dir_->ok() || argv.empty()) {
        *error = "cannot make the supervisor's folder";
        return false;
    }
    std::vector<std::string> words{"/usr/bin/python3", supervisor_script(), "--status", status_path(),
                                   "--stop", stop_path(), "--lifetime", std::to_string(options.lifetime_s)};
    if (!options.out_path.empty()) words.insert(words.end(), {"--out", options.out_path});
    if (!options.err_path.empty()) words.insert(words.end(), {"--err", options.err_path});
    for (const std::string& item : options.env) words.insert(words.end(), {"--env", item});
    words.push_back("--");
    words.insert(words.end(), argv.begin(), argv.end());
    std::string line;
    for (const std::string& word : words) line += (line.empty() ? "" : " ") + quote_argument(word);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &info)) {
        *error = "CreateProcess failed (" + std::to_string(GetLastError()) + "): " + line;
        return false;
    }
    // Wine can neither wait on a Linux process nor pass it handles.
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    started_ = true;
    return true;
}

inline long ChildProcess::pid() const { return -1; }

inline bool ChildProcess::poll_status() {
    if (exit_code_ != kNoExitCode) return true;
    if (!file_exists(status_path())) return false;
    const std::string text = read_text_file(status_path());
    if (text.empty()) return false;
    exit_code_ = std::atoi(text.c_str());
    return true;
}

inline int ChildProcess::wait(std::chrono::milliseconds limit) {
    if (!started_) return exit_code_;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!poll_status() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(kPoll);
    return exit_code_;
}

inline void ChildProcess::stop() {
    if (started_ && !poll_status()) {
        std::ofstream(local_path(stop_path())) << "stop\n";
        // The supervisor ends the child by itself at its lifetime when this
        // wait runs out.
        wait(kGrace * 2);
    }
    started_ = false;
    control_dir_.reset();
}

#else  // POSIX

// The program's full path, looked up in PATH before fork as execve does not.
inline std::string program_path(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return name;
}

inline bool ChildProcess::start(const std::vector<std::string>& argv, const ChildOptions& options,
                                std::string* error) {
    stop();
    exit_code_ = kNoExitCode;
    if (argv.empty()) {
        *error = "no command";
        return false;
    }
    // Everything the child needs is made before fork: between fork and exec
    // only async-signal-safe calls.
    std::vector<std::string> env;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text(*entry);
        bool replaced = false;
        for (const std::string& item : options.env) {
            replaced = replaced || text.compare(0, item.find('=') + 1, item, 0, item.find('=') + 1) == 0;
        }
        if (!replaced) env.push_back(text);
    }
    env.insert(env.end(), options.env.begin(), options.env.end());
    std::vector<std::string> args = argv;
    const std::string program = program_path(argv[0]);
    std::vector<char*> arg_ptrs, env_ptrs;
    for (std::string& arg : args) arg_ptrs.push_back(arg.data());
    arg_ptrs.push_back(nullptr);
    for (std::string& item : env) env_ptrs.push_back(item.data());
    env_ptrs.push_back(nullptr);
    const char* out = options.out_path.empty() ? "/dev/null" : options.out_path.c_str();
    const char* err = options.err_path.empty() ? "/dev/null" : options.err_path.c_str();
    const int out_fd = open(out, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const int err_fd = open(err, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const int null_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t parent = getpid();
    pid_ = (out_fd >= 0 && err_fd >= 0 && null_fd >= 0) ? fork() : -1;
    if (pid_ == 0) {
        if (options.end_with_parent) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent) _exit(1);
        }
        dup2(null_fd, STDIN_FILENO);
        dup2(out_fd, STDOUT_FILENO);
        dup2(err_fd, STDERR_FILENO);
        execve(program.c_str(), arg_ptrs.data(), env_ptrs.data());
        _exit(127);
    }
    for (int fd : {out_fd, err_fd, null_fd}) {
        if (fd >= 0) close(fd);
    }
    if (pid_ < 0) {
        *error = "cannot start " + argv[0];
        return false;
    }
    started_ = true;
    return true;
}

inline long ChildProcess::pid() const { return pid_; }

inline bool ChildProcess::reap(int flags) {
    if (exit_code_ != kNoExitCode) return true;
    int status = 0;
    if (pid_ <= 0 || waitpid(pid_, &status, flags) != pid_) return false;
    static constexpr int kSignalledBase = 128;
    exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : kSignalledBase + WTERMSIG(status);
    pid_ = -1;
    return true;
}

inline int ChildProcess::wait(std::chrono::milliseconds limit) {
    if (!started_) return exit_code_;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!reap(WNOHANG) && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(kPoll);
    return exit_code_;
}

inline void ChildProcess::stop() {
    if (started_ && !reap(WNOHANG)) {
        kill(pid_, SIGTERM);
        if (wait(kGrace) == kNoExitCode) {
            kill(pid_, SIGKILL);
            reap(0);
        }
    }
    started_ = false;
}

#endif

}  // namespace pmc_test

#endif
