// What checking an experimenter's password costs at the stored iteration count.
// password_check_ms: the median of five checks of a right password against its stored hash,
// in milliseconds: the moment the password screen waits (off the window's thread) at Ctrl+X.
#include <QElapsedTimer>
#include <algorithm>
#include <array>
#include <cstdlib>

#include "accounts/StoredPassword.h"
#include "bench/Figure.h"

namespace {

double PasswordCheckMilliseconds() {
    const QString stored = accounts::HashPassword(QStringLiteral("Tank#42"));
    std::array<double, 5> times{};
    for (double& time : times) {
        QElapsedTimer timer;
        timer.start();
        if (accounts::Verify(stored, QStringLiteral("Tank#42")) != accounts::Verdict::Matches)
            std::abort();
        time = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    }
    std::nth_element(times.begin(), times.begin() + 2, times.end());
    return times[2];
}

}  // namespace

FX_VALUE(password_check_ms, PasswordCheckMilliseconds);
