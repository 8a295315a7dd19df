#pragma once

#include <sys/resource.h>

#include <QByteArray>
#include <QFile>
#include <QList>

namespace fin {

// Kilobytes from a "Name:   1234 kB" line of /proc/self/status; ru_maxrss otherwise.
inline qint64 StatusKb(const char* name) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray key = QByteArray(name) + ':';
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith(key))
                return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

}  // namespace fin
