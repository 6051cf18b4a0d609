#pragma once

// Runs a program of ours as a real child process, so that tests see its exit
// status, its output and its answer to signals exactly as a user would.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace kinorex::test {

struct ProcessResult {
    int exitStatus = -1;  // -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// Where the child's standard output goes: a file that out() reads, or a pipe whose reading
// end is closed, as when `| head` has read what it wanted.
enum class Output { File, ClosedPipe };

class ChildProcess {
public:
    // Starts `program` with `arguments`; its stdout and stderr go to files
    // that out() and err() read. Throws std::runtime_error if it cannot start.
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                 Output output = Output::File);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void sendSignal(int signal);
    // Waits until stdout holds `text`; false if the process ended or the time ran out first.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds timeout);
    // Waits for the process to end (killing it after `timeout`) and collects its output.
    ProcessResult wait(std::chrono::milliseconds timeout = std::chrono::seconds(60));

    std::string out() const;
    std::string err() const;

private:
    bool hasEnded() const;

    pid_t pid_ = -1;
    std::filesystem::path outPath_;
    std::filesystem::path errPath_;
};

// Runs a program to its end.
ProcessResult runProcess(const std::filesystem::path& program,
                         const std::vector<std::string>& arguments);

}  // namespace kinorex::test
