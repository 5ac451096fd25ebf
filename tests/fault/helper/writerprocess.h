// Starts korvex_fault_writer (fault_writer.cpp) as a process of its own,
// optionally as another user, so that tests see real concurrent, killed and
// unprivileged saves.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <QString>
#include <optional>
#include <string>

namespace korvex::testing {

// The user "nobody", whom a test running as root lets write without root's rights.
constexpr uid_t kUnprivilegedUser = 65534;

// Writes the file COUNT times (0: until killed) with BYTES bytes of 'A',
// then BYTES+1 of 'B', alternating; as user when given.
inline pid_t startWriter(const QString& path, int count, qsizetype bytes, std::optional<uid_t> user = std::nullopt) {
    const QByteArray file = QFile::encodeName(path);
    const std::string countText = std::to_string(count);
    const std::string bytesText = std::to_string(bytes);
    const pid_t pid = fork();
    if (pid == 0) {
        if (user && (setgroups(0, nullptr) != 0 || setresgid(*user, *user, *user) != 0 ||
                     setresuid(*user, *user, *user) != 0)) {
            _exit(126);
        }
        execl(KORVEX_FAULT_WRITER, KORVEX_FAULT_WRITER, file.constData(), countText.c_str(), bytesText.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

inline int waitFor(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

}  // namespace korvex::testing
