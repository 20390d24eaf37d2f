// How often code reads or replaces a file, seen from the kernel's file events
// (inotify), so that no hook is needed in the code under test.
#pragma once

#include <QFile>
#include <QString>

#include <string>

#include <sys/inotify.h>
#include <unistd.h>

namespace mjtest {

// Opens and replacements of one file name in a folder, as the kernel reports
// them: a file read is one open, a file replaced is one new file moved (or
// created) under the name. Closes are watched too: the kernel merges an
// event into the one before it when both are the same, so opens count only
// when closes come between them.
class FileEvents {
public:
    FileEvents(const QString& folder, const QString& name)
        : fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), fileName(QFile::encodeName(name).toStdString())
    {
        watched = fd >= 0
                  && inotify_add_watch(fd, QFile::encodeName(folder).constData(),
                                       IN_OPEN | IN_CLOSE | IN_MOVED_TO | IN_CREATE) >= 0;
    }
    ~FileEvents()
    {
        if (fd >= 0)
            close(fd);
    }
    FileEvents(const FileEvents&) = delete;
    FileEvents& operator=(const FileEvents&) = delete;

    bool watching() const { return watched; }

    // Counts the events since the last call.
    void take(int& opens, int& replacements)
    {
        opens = 0;
        replacements = 0;
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0)
                return;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && fileName == event->name) {
                    if (event->mask & IN_OPEN)
                        ++opens;
                    if (event->mask & (IN_MOVED_TO | IN_CREATE))
                        ++replacements;
                }
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int fd;
    std::string fileName;
    bool watched = false;
};

} // namespace mjtest
