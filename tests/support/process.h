#pragma once
// Running programs from tests: to their end with their output collected, or
// beside the test, read line by line as they print.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace vostel::testing {

struct RunResult {
    int status = -1;  // the exit status (128 + N when ended by signal N)
    std::string out, err;
};

// Runs `args` (args[0] is the program) to its end with `input` on standard
// input. Standard output goes to the file `outFile` instead when one is named.
RunResult run(const std::vector<std::string>& args, const std::string& input = "",
              const std::string& outFile = "");

// A program running beside the test. Its standard output and error come on one
// pipe; its standard input is a pipe, or `stdinFd` when given. Asked to end
// (SIGTERM, then SIGKILL) when destroyed.
class Child {
public:
    struct Options {
        std::vector<std::string> env;  // "NAME=value" each; empty: the test's own environment
        int stdinFd = -1;
        std::string errorsTo;  // a file for standard error instead of the pipe
        std::string outputTo;  // a file for standard output instead of the pipe
    };

    explicit Child(const std::vector<std::string>& args) : Child(args, Options{}) {}
    Child(const std::vector<std::string>& args, const Options& options);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // The next line of output that contains `needle` (skipping others), or ""
    // after `timeout` or at the end of the output.
    std::string waitForLine(const std::string& needle,
                            std::chrono::milliseconds timeout = std::chrono::seconds(5));
    void send(const std::string& text);  // to the standard input pipe
    void signal(int sig);
    // The exit status (128 + N for signal N), or -1 when it has not ended within `timeout`.
    int wait(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Everything printed so far, or until the end of the output when it comes within `timeout`.
    std::string output(std::chrono::milliseconds timeout = std::chrono::milliseconds(100));

private:
    bool readMore(std::chrono::steady_clock::time_point until);  // false at the end or the time

    pid_t pid_ = -1;
    int stdin_ = -1, stdout_ = -1;
    bool exited_ = false;
    std::string buffer_, all_;
};

}  // namespace vostel::testing
