#pragma once
// Permission faults only show for a user who is not root: root may write a 0444 file and open a
// device another program holds exclusively. CI runs as root, so such tests run their commands as
// a system user made for them ("qarlo-test"), or skip saying why; never a silent pass.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace qarlo::test {

struct Unprivileged {
    uid_t uid;
    gid_t gid;
    bool switched; // true: commands must be started through prefix()

    // The user to run as: ourselves when we are not root, else "qarlo-test", created if missing.
    // None when no such user can be had; `why` then says so for GTEST_SKIP.
    static std::optional<Unprivileged> get(std::string* why = nullptr) {
        if (::geteuid() != 0) return Unprivileged{::geteuid(), ::getegid(), false};
        const char* name = "qarlo-test";
        if (::getpwnam(name) == nullptr)
            (void)std::system("useradd --system --no-create-home --shell /usr/sbin/nologin "
                              "qarlo-test >/dev/null 2>&1");
        const passwd* user = ::getpwnam(name);
        if (user == nullptr) {
            if (why) *why = "running as root and the test user qarlo-test could not be created";
            return std::nullopt;
        }
        if (::access("/usr/bin/setpriv", X_OK) != 0) {
            if (why) *why = "running as root and setpriv (util-linux) is missing";
            return std::nullopt;
        }
        return Unprivileged{user->pw_uid, user->pw_gid, true};
    }

    // Put before a command line to run it as this user, with no supplementary groups.
    std::vector<std::string> prefix() const {
        if (!switched) return {};
        return {"/usr/bin/setpriv", "--reuid=" + std::to_string(uid),
                "--regid=" + std::to_string(gid), "--clear-groups", "--"};
    }

    // Hands a path the test made as root to this user, so the command can work in it.
    bool own(const std::string& path) const {
        return !switched || ::chown(path.c_str(), uid, gid) == 0;
    }
};

} // namespace qarlo::test
