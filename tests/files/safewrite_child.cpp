// SPDX-License-Identifier: MIT
// A writer for test_safewrite to signal or kill half-way: writes SIZE bytes of 'n' to TARGET
// and stops once PAUSE bytes were written, saying "paused" and waiting for a line on standard
// input. A second thread idles meanwhile, as Glossa's do, so a signal may land on either.
//   safewrite_child TARGET SIZE PAUSE

#include "files/safewrite.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    std::thread([] {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    }).detach();

    glossa::setWritePauseForTesting(std::atoll(argv[3]), [] {
        std::puts("paused");
        std::fflush(stdout);
        char line[16];
        if (!std::fgets(line, sizeof line, stdin))
            return;
    });
    const QByteArray bytes(std::atoll(argv[2]), 'n');
    const glossa::WriteResult result =
        glossa::writeFileSafely(QString::fromLocal8Bit(argv[1]), bytes);
    std::printf("%s\n", result.ok ? "written" : qPrintable(result.reason));
    return result.ok ? 0 : 1;
}
