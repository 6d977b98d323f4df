#pragma once

#include "Picture.h"
#include "PrintFailure.h"
#include "PrintLogin.h"

#include <QObject>
#include <QString>

#include <optional>

namespace qv {

// The application-wide printer: the system's default printer with its default settings.
class Printer : public QObject {
    Q_OBJECT
public:
    // Draws the whole picture with its top-left corner at (x, y), at its own physical size,
    // opening a document first if none is open.
    virtual void PaintPicture(const Picture& picture, float x, float y) = 0;
    // Ends the document and hands it with its page to the printer.
    virtual void EndDoc() = 0;
    // Documents ended but not yet handed on to the print system.
    virtual int waiting() const { return 0; }
    // The answer to loginWanted(); nothing when the user gave none.
    virtual void answerLogin(const std::optional<Login>& login) { (void)login; }

signals:
    // A document the print system did not take, once for each, on the window's thread.
    void notPrinted(const qv::PrintFailure& failure);
    // The print server wants a login for a card; answerLogin() tells it what the user gave.
    void loginWanted(const qv::LoginRequest& request);
    // News of a card that waits at the printer (paused, or out of reach): the printer's state
    // and its own words, on the window's thread; told again only when they change.
    void waitingAtPrinter(const qv::PrintDelay& delay);
    // waiting() changed, on the window's thread.
    void waitingChanged(int documents);
};

} // namespace qv
