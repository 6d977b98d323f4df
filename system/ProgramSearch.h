#pragma once

#include <QString>
#include <QStringList>

namespace qv {

// Desktop programs that show the system's hardware and software and start without
// arguments, in order of preference.
const QStringList& systemInformationPrograms();
// The full path of the first of them found on PATH, or empty text.
QString findSystemInformationProgram();

} // namespace qv
