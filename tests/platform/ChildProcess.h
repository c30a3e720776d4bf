#pragma once
// Runs a piece of a test in a forked child, for what must not touch the test
// process itself (a lowered file-size limit, another user id, an exit).
#include <sys/wait.h>
#include <unistd.h>
#include <functional>
#include <string>

namespace cx::test {

struct tChildResult {
    bool exited = false;  // the child ended normally
    int code = -1;        // its exit code
    std::string output;   // what the body returned
};

// Forks, runs `body` in the child and hands back the text it returned.
inline tChildResult RunInChild(const std::function<std::string()>& body, int exitCode = 0) {
    tChildResult result;
    int fds[2];
    if (::pipe(fds) != 0) return result;
    pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return result;
    }
    if (child == 0) {
        ::close(fds[0]);
        std::string text = body();
        const char* data = text.data();
        size_t left = text.size();
        while (left > 0) {
            ssize_t written = ::write(fds[1], data, left);
            if (written <= 0) break;
            data += written;
            left -= static_cast<size_t>(written);
        }
        // _exit skips the test framework's handlers that belong to the parent.
        ::_exit(exitCode);
    }
    ::close(fds[1]);
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fds[0], buffer, sizeof buffer)) > 0) {
        result.output.append(buffer, static_cast<size_t>(got));
    }
    ::close(fds[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        result.exited = true;
        result.code = WEXITSTATUS(status);
    }
    return result;
}

}  // namespace cx::test
