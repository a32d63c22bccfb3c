// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

void runUnprivileged(const std::function<void()> &body)
{
    if (::geteuid() != 0) {
        body();
        return;
    }
    const passwd *pw = ::getpwnam("nobody");
    ASSERT_NE(pw, nullptr) << "no user nobody to drop to";
    const uid_t uid = pw->pw_uid;
    const gid_t gid = pw->pw_gid;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0
            || ::setresuid(uid, uid, uid) != 0 || ::geteuid() == 0)
            ::_exit(3);
        body();
        std::fflush(stdout);
        std::fflush(stderr);
        // Skips destructors of the parent's objects, which the parent owns.
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "child ended by signal " << WTERMSIG(status);
    EXPECT_NE(WEXITSTATUS(status), 3) << "could not drop to nobody";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "failures above happened as nobody";
}
