#include "FontPages.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>

#include <sys/mman.h>

namespace qv {

namespace {
bool isFontFile(const QByteArray& path) {
    const QByteArray name = path.toLower();
    return name.endsWith(".ttf") || name.endsWith(".ttc") || name.endsWith(".otf") ||
           name.endsWith(".otc");
}
} // namespace

void releaseFontPages() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return;
    // Each line: start-end, permissions, offset, device, inode, path.
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const qsizetype pathStart = line.indexOf('/');
        const QList<QByteArray> fields = line.left(pathStart).simplified().split(' ');
        // Only mappings nothing writes to: their pages always come back as the file has them.
        if (pathStart < 0 || fields.size() < 2 || fields[1].contains('w') ||
            !isFontFile(line.mid(pathStart)))
            continue;
        const QList<QByteArray> range = fields[0].split('-');
        bool startRead = false, endRead = false;
        const quintptr start = range.value(0).toULongLong(&startRead, 16);
        const quintptr end = range.value(1).toULongLong(&endRead, 16);
        if (startRead && endRead && end > start)
            ::madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
    }
}

void releaseFontPagesWhenIdle() {
    static QPointer<QAbstractEventDispatcher> hooked;
    QAbstractEventDispatcher* dispatcher =
        QCoreApplication::instance() ? QAbstractEventDispatcher::instance(qApp->thread()) : nullptr;
    if (!dispatcher || dispatcher == hooked)
        return;
    hooked = dispatcher;
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher,
                     [since = QElapsedTimer()]() mutable {
                         if (since.isValid() && since.elapsed() < 1000)
                             return;
                         since.start();
                         releaseFontPages();
                     });
}

} // namespace qv
