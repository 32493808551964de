#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "arx/DrawingLock.h"

namespace arx {

namespace fs = std::filesystem;

fs::path DrawingLockPath(const fs::path& drawing) {
    fs::path lock = drawing;
    lock.replace_extension(".dwl");
    return lock;
}

bool DrawingInUse(const fs::path& drawing, std::string* holder) {
    const fs::path lock = DrawingLockPath(drawing);
    const int fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool inUse = false;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        inUse = errno == EWOULDBLOCK;
    } else {
        ::flock(fd, LOCK_UN);
    }
    if (inUse && holder != nullptr) {
        char text[256] = {};
        const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
        holder->assign(text, n > 0 ? static_cast<std::size_t>(n) : 0);
        while (!holder->empty() && (holder->back() == '\n' || holder->back() == '\r'))
            holder->pop_back();
    }
    ::close(fd);
    return inUse;
}

DrawingLock::DrawingLock(DrawingLock&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)) {}

DrawingLock& DrawingLock::operator=(DrawingLock&& other) noexcept {
    if (this != &other) {
        Release();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

bool DrawingLock::Acquire(const fs::path& drawing, std::string* error) {
    Release();
    const fs::path lock = DrawingLockPath(drawing);
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (error != nullptr)
            *error = lock.string() + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (error != nullptr)
            *error = drawing.string() + " is in use (" + lock.filename().string() + ")";
        ::close(fd);
        return false;
    }
    // Who holds it, for the users of the other sessions.
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const char* user = std::getenv("USER");
    const std::string line = std::string(user != nullptr ? user : "?") + "@" + host + " pid " +
                             std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) {
        const ssize_t written = ::pwrite(fd, line.data(), line.size(), 0);
        (void)written;
    }
    m_fd = fd;
    m_path = lock;
    return true;
}

void DrawingLock::Release() {
    if (m_fd < 0)
        return;
    std::error_code ec;
    fs::remove(m_path, ec);
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
    m_path.clear();
}

}  // namespace arx
