// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QtGlobal>

// Puts an environment variable back when the test ends.
class EnvGuard {
public:
    explicit EnvGuard(const char *name) : name_(name), had_(qEnvironmentVariableIsSet(name))
    {
        if (had_)
            old_ = qgetenv(name);
    }
    ~EnvGuard()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    EnvGuard(const EnvGuard &) = delete;
    EnvGuard &operator=(const EnvGuard &) = delete;

private:
    const char *name_;
    bool had_;
    QByteArray old_;
};
