// locktest: takes the client's single-instance lock and holds it until its
// stdin closes, so tests can see a second process refused. Prints "locked"
// (exit 0 at the end) or "busy" (exit 1 at once).
#include "platform/InstanceLock.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!mj::InstanceLock::AcquireSingleInstance()) {
        std::puts("busy");
        return 1;
    }
    std::puts("locked");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
