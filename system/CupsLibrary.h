#pragma once

#include <cups/cups.h>

namespace qv {

// The print system's library, loaded with the first document rather than at start: it brings a
// dozen libraries (encryption, Kerberos, service discovery) that the first window does not need.
// clang-format off
#define QV_CUPS_FUNCTIONS(X)                                                                       \
    X(cupsSetServer) X(cupsServer) X(ippPort) X(cupsEncryption) X(httpConnect2) X(httpClose)       \
    X(httpSetTimeout) X(httpError) X(cupsGetNamedDest) X(cupsGetOption) X(cupsFreeDests)           \
    X(cupsCopyDestInfo) X(cupsFreeDestInfo) X(cupsFindDestDefault) X(cupsGetDestMediaByName)      \
    X(cupsCheckDestSupported) X(cupsLastError) X(cupsLastErrorString)   \
    X(cupsAddOption) X(cupsFreeOptions) X(cupsCreateDestJob) X(cupsStartDestDocument)             \
    X(cupsWriteRequestData) X(cupsFinishDestDocument) X(cupsCancelDestJob) X(cupsSetPasswordCB2) X(cupsSetUser)        \
    X(cupsUser) X(ippNewRequest) X(ippAddString) X(ippAddStrings) X(ippAddInteger) X(cupsDoRequest)                \
    X(ippFindAttribute) X(ippGetString) X(ippGetInteger) X(ippGetCount) X(ippGetCollection)       \
    X(ippDelete)
// clang-format on

struct CupsLibrary {
#define QV_CUPS_MEMBER(name) decltype(&::name) name = nullptr;
    QV_CUPS_FUNCTIONS(QV_CUPS_MEMBER)
#undef QV_CUPS_MEMBER
    bool present = false;
    const char* missing = nullptr; // the first function the library lacks

    // Loaded on the first call, once for the program.
    static const CupsLibrary& get();
};

} // namespace qv
