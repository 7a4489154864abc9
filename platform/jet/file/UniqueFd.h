#pragma once
// A file descriptor owned by one object: closed when the object goes, never
// copied, moved explicitly.
#include <unistd.h>

#include <utility>

namespace jet::file {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] bool valid() const { return fd_ >= 0; }

    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

    // Closes now and says whether close succeeded: on some file systems a
    // write's failure shows only here. The descriptor is gone either way.
    [[nodiscard]] bool close() {
        if (fd_ < 0) return true;
        const int rc = ::close(std::exchange(fd_, -1));
        return rc == 0;
    }

private:
    int fd_ = -1;
};

}  // namespace jet::file
