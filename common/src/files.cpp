#include "common/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

namespace common {
namespace {

std::error_code LastError() {
    return {errno, std::system_category()};
}

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

std::error_code WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return LastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

mode_t CurrentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

std::error_code ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return LastError();
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return LastError();
    if (S_ISDIR(st.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    bytes.clear();
    if (st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    while (true) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return LastError();
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return {};
}

std::error_code WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path folder = path.parent_path();
    if (folder.empty())
        folder = ".";
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    std::vector<char> temp(pattern.begin(), pattern.end());
    temp.push_back('\0');
    Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return LastError();
    auto fail = [&](std::error_code error) {
        fd.reset();
        ::unlink(temp.data());
        return error;
    };

    // Keep the permissions of the file being replaced; a new file gets what the umask allows.
    struct stat st {};
    mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~CurrentUmask());
    if (::fchmod(fd.get(), mode) != 0)
        return fail(LastError());
    if (auto error = WriteAll(fd.get(), bytes))
        return fail(error);
    if (::fsync(fd.get()) != 0)
        return fail(LastError());
    if (::close(fd.release()) != 0)
        return fail(LastError());
    if (::rename(temp.data(), path.c_str()) != 0)
        return fail(LastError());

    // Make the rename itself durable.
    Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    return {};
}

std::error_code AppendToFile(const std::filesystem::path& path, std::string_view bytes) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return LastError();
    if (auto error = WriteAll(fd.get(), bytes))
        return error;
    if (::close(fd.release()) != 0)
        return LastError();
    return {};
}

std::filesystem::path ExecutableFolder() {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return std::filesystem::current_path(error);
    return exe.parent_path();
}

std::string Describe(const std::error_code& error) {
    return error.message();
}

}  // namespace common
