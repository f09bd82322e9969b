// Runs a stretch of a test as an unprivileged user, so that file permissions
// bind even when the tests run as root.
#pragma once

#include <unistd.h>

#include <cstdlib>

class Unprivileged {
public:
    Unprivileged() : root_(::geteuid() == 0) {
        if (root_ && (::setegid(kNobody) != 0 || ::seteuid(kNobody) != 0))
            std::abort();
    }
    ~Unprivileged() {
        if (root_ && (::seteuid(0) != 0 || ::setegid(0) != 0))
            std::abort();
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

private:
    static constexpr uid_t kNobody = 65534; // user and group
    bool root_;
};
