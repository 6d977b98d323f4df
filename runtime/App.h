#pragma once

#include <QString>

#include <cstdint>
#include <functional>

namespace qv {

// The application object: identity, and how the program ends.
class App {
public:
    static QString Title() { return QStringLiteral("Quorvel"); }
    static std::int16_t Major();
    static std::int16_t Minor();
    static std::int16_t Revision();
    // "major.minor.revision".
    static QString Version();
    // Gives the running application its name, version and icon.
    static void setUp();

    // Ends the program with the given exit code. Tests replace the action to observe it.
    static void End(int exitCode);
    using EndAction = std::function<void(int)>;
    static EndAction setEndAction(EndAction action);
};

} // namespace qv
