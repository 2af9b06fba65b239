#pragma once
#include "support/FdIo.h"
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// A program run by a test: its standard output and error are captured through pipes;
// waits are bounded and the process is killed if the test leaves it running.
class TChildProcess {
public:
    using TClock = std::chrono::steady_clock;

    TChildProcess() = default;
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;
    ~TChildProcess() {
        if (Pid > 0) {
            kill(Pid, SIGKILL);
            waitpid(Pid, nullptr, 0);
        }
        for (int fd : {Out, Err})
            if (fd >= 0)
                close(fd);
    }

    // env entries ("NAME=value") are added to the test's own environment.
    bool Start(std::vector<std::string> argv, const std::vector<std::string>& env = {}) {
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        std::vector<char*> args;
        for (auto& arg : argv)
            args.push_back(arg.data());
        args.push_back(nullptr);
        std::vector<std::string> environment(env);
        for (char** e = environ; *e; ++e)
            environment.emplace_back(*e);
        std::vector<char*> envp;
        for (auto& e : environment)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        const int rc = posix_spawn(&Pid, args[0], &actions, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        Out = out[0];
        Err = err[0];
        if (rc != 0)
            Pid = -1;
        return rc == 0;
    }

    // The first line of standard output, or "" if none came within the wait.
    std::string ReadLine(std::chrono::milliseconds wait = std::chrono::seconds(10)) {
        const auto deadline = TClock::now() + wait;
        std::string line;
        char c = 0;
        for (;;) {
            pollfd ready{Out, POLLIN, 0};
            if (poll(&ready, 1, MsLeft(deadline)) != 1 || read(Out, &c, 1) != 1)
                return "";
            if (c == '\n')
                return line;
            line += c;
        }
    }

    // Sends the signal (if any), waits for the end and collects the rest of both outputs;
    // returns the exit status, or -1 if it was killed or did not end within the wait.
    int Finish(int signal = 0, std::chrono::milliseconds wait = std::chrono::seconds(30)) {
        if (Pid <= 0)
            return -1;
        if (signal != 0)
            kill(Pid, signal);
        const auto deadline = TClock::now() + wait;
        const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, Pid, 0));
        pollfd fds[3] = {{Out, POLLIN, 0}, {Err, POLLIN, 0}, {pidFd, POLLIN, 0}};
        for (;;) {
            if (poll(fds, 3, MsLeft(deadline)) <= 0)
                break;
            Drain(fds[0], StdOut);
            Drain(fds[1], StdErr);
            if (fds[2].revents && fds[0].fd < 0 && fds[1].fd < 0)
                break;
        }
        if (pidFd >= 0)
            close(pidFd);
        int status = 0;
        if (waitpid(Pid, &status, WNOHANG) != Pid)
            return -1;
        Pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string StdOut, StdErr;

private:
    static void Drain(pollfd& fd, std::string& into) {
        if (fd.fd < 0 || !fd.revents)
            return;
        char buffer[4096];
        const ssize_t n = read(fd.fd, buffer, sizeof buffer);
        if (n > 0)
            into.append(buffer, static_cast<size_t>(n));
        else
            fd.fd = -1; // end of output: poll ignores negative descriptors
    }

    pid_t Pid = -1;
    int Out = -1, Err = -1;
};
