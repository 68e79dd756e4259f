// A process's resident memory, as /proc tells it.
#pragma once

#include <QFile>
#include <QString>

// A process's resident size in kB (this one's by default); -1 if unknown.
inline qint64 residentKilobytes(const QString& process = QStringLiteral("self"))
{
    QFile status(QStringLiteral("/proc/%1/status").arg(process));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}
