#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

extern char** environ;

namespace vostel::testing {

using Clock = std::chrono::steady_clock;

RunResult run(const std::vector<std::string>& args, const std::string& input, const std::string& outFile) {
    TempDir dir;
    writeBytes(dir / "in", input);
    const int in = ::open((dir / "in").c_str(), O_RDONLY | O_CLOEXEC);
    Child::Options options;
    options.stdinFd = in;
    options.errorsTo = (dir / "err").string();
    options.outputTo = outFile;
    RunResult r;
    {
        Child child(args, options);
        r.out = child.output(std::chrono::minutes(1));
        r.status = child.wait(std::chrono::minutes(1));
    }
    ::close(in);
    r.err = readBytes(dir / "err");
    return r;
}

Child::Child(const std::vector<std::string>& args, const Options& options) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, options.stdinFd >= 0 ? options.stdinFd : in[0], 0);
    for (const auto& [fd, file] : {std::pair{1, options.outputTo}, std::pair{2, options.errorsTo}}) {
        if (file.empty())
            posix_spawn_file_actions_adddup2(&fa, out[1], fd);
        else
            posix_spawn_file_actions_addopen(&fa, fd, file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string& e : options.env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    ::signal(SIGPIPE, SIG_IGN);  // a child that ends early must not end the test
    const int rc = ::posix_spawnp(&pid_, argv[0], &fa, nullptr, argv.data(),
                                  options.env.empty() ? environ : envp.data());
    posix_spawn_file_actions_destroy(&fa);
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    if (rc != 0) throw std::runtime_error("cannot start " + args[0]);
}

Child::~Child() {
    ::close(stdin_);
    if (pid_ > 0 && !exited_) {
        ::kill(pid_, SIGTERM);
        if (wait(std::chrono::seconds(3)) < 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    ::close(stdout_);
}

bool Child::readMore(Clock::time_point until) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{stdout_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) return true;
    char buf[4096];
    const ssize_t n = ::read(stdout_, buf, sizeof buf);
    if (n <= 0) return false;
    buffer_.append(buf, static_cast<std::size_t>(n));
    return true;
}

std::string Child::waitForLine(const std::string& needle, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    do {
        std::size_t nl;
        while ((nl = buffer_.find('\n')) != std::string::npos) {
            std::string line = buffer_.substr(0, nl);
            buffer_.erase(0, nl + 1);
            all_ += line + "\n";
            if (line.find(needle) != std::string::npos) return line;
        }
    } while (readMore(end));
    return {};
}

void Child::send(const std::string& text) {
    ASSERT_EQ(::write(stdin_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

void Child::signal(int sig) { ::kill(pid_, sig); }

int Child::wait(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    int raw = 0;
    while (Clock::now() < end) {
        if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
            exited_ = true;
            return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

std::string Child::output(std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (readMore(end)) {
    }
    return all_ + buffer_;
}

}  // namespace vostel::testing
