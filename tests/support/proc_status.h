#pragma once
// Memory figures of this process from /proc/self/status (Linux), for the benchmarks and the soak
// test.

#include <QByteArray>
#include <QFile>

namespace lexaro::test {

// A line of /proc/self/status in kB, such as "VmRSS" (resident) or "VmHWM" (peak resident);
// -1 where the file or the line is missing.
inline long ProcStatusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix)) {
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

}  // namespace lexaro::test
