#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace qv {

// The engine's run-time error numbers that this program raises or reports.
namespace ErrorNumber {
constexpr int InvalidProcedureCall = 5;
constexpr int Overflow = 6;
constexpr int OutOfMemory = 7;
constexpr int DivisionByZero = 11;
constexpr int FileNotFound = 53;
constexpr int InvalidPropertyValue = 380;
constexpr int InvalidPicture = 481;
constexpr int PrinterError = 482;
constexpr int InternalError = 51;
} // namespace ErrorNumber

// A run-time error of the engine: a number and its text. It ends the procedure that raises
// it and travels up until a handler takes it or the untrapped-error report does.
class RuntimeError : public std::exception {
public:
    explicit RuntimeError(int number, const QString& description = {});

    int number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.constData(); }

    static QString standardDescription(int number);

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

} // namespace qv
