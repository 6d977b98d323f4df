#pragma once

#include <QMetaType>
#include <QString>

namespace qv {

// A print server that wants a user name and password before it takes a card.
struct LoginRequest {
    QString printer; // the queue the card is for
    QString user;    // the name to offer: the one tried last, or the login name
    int attempt = 1; // above 1, the server turned down the previous answer
};

// What the user gave for it. Kept in memory for the card alone, never written anywhere.
struct Login {
    QString user;
    QString password;
};

} // namespace qv

Q_DECLARE_METATYPE(qv::LoginRequest)
