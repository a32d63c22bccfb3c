// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Tells whether this is the only running copy for the user. The real one is a
// QLockFile in the runtime location, which a crashed holder does not block.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // True when this process now holds the lock (no other copy runs).
    virtual bool tryLock() = 0;
    virtual void unlock() = 0;
};
