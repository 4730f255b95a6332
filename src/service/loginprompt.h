#pragma once

#include <QString>

// Asks the user for the account's credentials. The application answers with the login dialog;
// tests answer with scripted values.
class LoginPrompt
{
public:
    struct Values
    {
        QString username;
        QString password;
        bool remember = false;
        // The service's reason for the last failed attempt; empty on the first try.
        QString errorMessage;
    };

    virtual ~LoginPrompt() = default;

    // Shows the prompt filled with the values. On acceptance the values hold what was entered and
    // true comes back; false means the user cancelled.
    virtual bool ask(Values &values) = 0;
};
