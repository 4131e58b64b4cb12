#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

extern char** environ;

namespace vostel::testing {

namespace {

using Clock = std::chrono::steady_clock;

struct Pipe {
    int read = -1, write = -1;
    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        read = fds[0];
        write = fds[1];
    }
};

void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// Starts `args` with the file actions given; throws when it cannot be started.
pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& env,
            posix_spawn_file_actions_t* actions) {
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    // A child that ends before reading all its input must not end the test.
    ::signal(SIGPIPE, SIG_IGN);
    pid_t pid = -1;
    const int rc =
        ::posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), env.empty() ? environ : envp.data());
    posix_spawn_file_actions_destroy(actions);
    if (rc != 0) throw std::runtime_error("cannot start " + args[0]);
    return pid;
}

// Appends what a pipe holds to `text`, closing it at its end.
void drain(int& fd, short revents, std::string& text) {
    if (fd < 0 || !revents) return;
    char buf[65536];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0)
        text.append(buf, static_cast<std::size_t>(n));
    else
        closeFd(fd);
}

int statusOf(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw); }

}  // namespace

RunResult run(const std::vector<std::string>& args, const std::string& input, const std::string& outFile) {
    Pipe in, out, err;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in.read, 0);
    if (outFile.empty())
        posix_spawn_file_actions_adddup2(&fa, out.write, 1);
    else
        posix_spawn_file_actions_addopen(&fa, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&fa, err.write, 2);
    const pid_t pid = spawn(args, {}, &fa);
    closeFd(in.read);
    closeFd(out.write);
    closeFd(err.write);

    RunResult r;
    std::size_t written = 0;
    if (input.empty()) closeFd(in.write);
    while (out.read >= 0 || err.read >= 0) {
        pollfd p[3] = {{in.write, POLLOUT, 0}, {out.read, POLLIN, 0}, {err.read, POLLIN, 0}};
        if (::poll(p, 3, -1) < 0 && errno != EINTR) break;
        if (p[0].revents) {
            const ssize_t n = ::write(in.write, input.data() + written, input.size() - written);
            if (n > 0) written += static_cast<std::size_t>(n);
            if (n < 0 || written == input.size()) closeFd(in.write);
        }
        drain(out.read, p[1].revents, r.out);
        drain(err.read, p[2].revents, r.err);
    }
    closeFd(in.write);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

Child::Child(const std::vector<std::string>& args, const Options& options) {
    Pipe in, out;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, options.stdinFd >= 0 ? options.stdinFd : in.read, 0);
    posix_spawn_file_actions_adddup2(&fa, out.write, 1);
    if (options.errorsTo.empty())
        posix_spawn_file_actions_adddup2(&fa, out.write, 2);
    else
        posix_spawn_file_actions_addopen(&fa, 2, options.errorsTo.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
    pid_ = spawn(args, options.env, &fa);
    ::close(in.read);
    ::close(out.write);
    stdin_ = in.write;
    stdout_ = out.read;
}

Child::~Child() {
    closeFd(stdin_);
    if (pid_ > 0 && !exited_) {
        ::kill(pid_, SIGTERM);
        if (wait(std::chrono::seconds(3)) < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    closeFd(stdout_);
}

std::string Child::waitForLine(const std::string& needle, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    for (;;) {
        std::size_t nl;
        while ((nl = buffer_.find('\n')) != std::string::npos) {
            std::string line = buffer_.substr(0, nl);
            buffer_.erase(0, nl + 1);
            all_ += line + "\n";
            if (line.find(needle) != std::string::npos) return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) return {};
        pollfd p{stdout_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        char buf[4096];
        const ssize_t n = ::read(stdout_, buf, sizeof buf);
        if (n <= 0) return {};
        buffer_.append(buf, static_cast<std::size_t>(n));
    }
}

void Child::send(const std::string& text) {
    ASSERT_EQ(::write(stdin_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

void Child::closeInput() { closeFd(stdin_); }

void Child::signal(int sig) { ::kill(pid_, sig); }

int Child::wait(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    int raw = 0;
    while (Clock::now() < end) {
        if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
            exited_ = true;
            return statusOf(raw);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

std::string Child::output() {
    waitForLine("\x01", std::chrono::milliseconds(100));
    return all_ + buffer_;
}

}  // namespace vostel::testing
