#pragma once

#include <QMetaType>
#include <QString>

namespace qv {

// Why a card did not reach the printer. The words the user reads are made from it in one place
// (PrintNews.h); the print system only says what happened.
struct PrintFailure {
    enum class Reason {
        NoPrintSystem,     // no libcups on this computer
        PrintSystemTooOld, // a libcups that lacks what the program asks of it
        Unreachable,       // nothing listens where the print server should be
        NotAnswering,      // the print server took the connection but stopped answering
        NoDefaultPrinter,  // the server answers, but no printer is its default
        Refused,           // the printer would not take the job
        PaperUnknown,      // the printer did not say what paper it holds
        LoginCancelled,    // the server wants a login, and the user gave none
        LoginRefused,      // the server turned down every user name and password given
        PageNotMade,       // the page could not be made (out of memory)
        StoppedAtPrinter,  // the job was taken, then cancelled or aborted by the printer
        GivenUp,           // the user, or the end of the program, stopped waiting for it
        Unexpected,        // anything else going wrong on the way
    };
    Reason reason = Reason::Unexpected;
    QString printer; // the queue, where one was found
    QString detail;  // the print system's own words, where it gave any
};

// Why a card the print system took has not come out yet.
struct PrintDelay {
    enum class Reason {
        Paused,          // the printer is stopped
        DeviceOutOfReach // the print system cannot reach the printer itself
    };
    Reason reason = Reason::Paused;
    QString printer;
    QString detail; // the printer's own words, where it gave any

    bool operator==(const PrintDelay&) const = default;
};

} // namespace qv

Q_DECLARE_METATYPE(qv::PrintFailure)
Q_DECLARE_METATYPE(qv::PrintDelay)
