#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace kinorex::test {

namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path uniqueOutputPath(const char* stream) {
    static int counter = 0;
    return std::filesystem::temp_directory_path() /
           ("kinorex-child-" + std::to_string(::getpid()) + "-" + std::to_string(++counter) + "." +
            stream);
}

}  // namespace

ChildProcess::ChildProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& arguments, Output output)
    : outPath_(uniqueOutputPath("out")), errPath_(uniqueOutputPath("err")) {
    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> cArgv;
    for (auto& arg : argv) {
        cArgv.push_back(arg.data());
    }
    cArgv.push_back(nullptr);

    int pipeEnds[2] = {-1, -1};
    if (output == Output::ClosedPipe && ::pipe(pipeEnds) != 0) {
        throw std::runtime_error("cannot make a pipe");
    }
    pid_ = ::fork();
    if (pid_ < 0) {
        throw std::runtime_error("cannot fork");
    }
    if (pipeEnds[0] >= 0) {
        ::close(pipeEnds[0]);  // in both processes: nobody reads
    }
    if (pid_ != 0 && pipeEnds[1] >= 0) {
        ::close(pipeEnds[1]);
    }
    if (pid_ == 0) {
        const int out = output == Output::ClosedPipe
                            ? pipeEnds[1]
                            : ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0) {
            ::_exit(127);
        }
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execv(cArgv[0], cArgv.data());
        ::_exit(127);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove(outPath_, ignored);
    std::filesystem::remove(errPath_, ignored);
}

bool ChildProcess::hasEnded() const {
    if (pid_ <= 0) {
        return true;
    }
    // Peeks without reaping, so that wait() still collects the exit status.
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
           info.si_pid != 0;
}

void ChildProcess::sendSignal(int signal) {
    if (pid_ > 0) {
        ::kill(pid_, signal);
    }
}

bool ChildProcess::waitForOutput(const std::string& text, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (out().find(text) != std::string::npos) {
            return true;
        }
        if (hasEnded()) {
            return out().find(text) != std::string::npos;  // a last look decides
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

ProcessResult ChildProcess::wait(std::chrono::milliseconds timeout) {
    ProcessResult result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (pid_ > 0) {
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (done < 0 || std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    result.out = out();
    result.err = err();
    return result;
}

std::string ChildProcess::out() const {
    return readAll(outPath_);
}

std::string ChildProcess::err() const {
    return readAll(errPath_);
}

ProcessResult runProcess(const std::filesystem::path& program,
                         const std::vector<std::string>& arguments) {
    return ChildProcess(program, arguments).wait();
}

}  // namespace kinorex::test
