#pragma once
// A loopback test server (a python script that prints "PORT <n>" first),
// started for one test and stopped by its process id. POSIX only.
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace tessaly {

class LoopbackServer {
public:
    // args: the command line, "python3" first.
    explicit LoopbackServer(std::vector<std::string> args) {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], 1);
            close(fds[0]);
            close(fds[1]);
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        out_ = fdopen(fds[0], "r");
        char line[128] = {};
        if (out_ && std::fgets(line, sizeof line, out_)) std::sscanf(line, "PORT %d", &port_);
    }
    ~LoopbackServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (out_) std::fclose(out_);
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;
    int port() const { return port_; }

private:
    pid_t pid_ = -1;
    FILE* out_ = nullptr;
    int port_ = 0;
};

}  // namespace tessaly
