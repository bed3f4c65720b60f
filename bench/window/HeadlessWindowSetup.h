#pragma once

#include <QTemporaryDir>
#include <cstdlib>

namespace vaddex::bench {

// Before the application is made: an offscreen display unless one was asked for, and the
// settings in `config`, a private folder, so a benchmark needs no screen and leaves the
// user's settings alone.
inline void UseHeadlessWindowSetup(const QTemporaryDir& config) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    ::setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
}

}  // namespace vaddex::bench
