#pragma once

#include <QString>
#include <QStringList>

// A modal alert with its buttons, as the program asks for it. Presenters keep the
// modal dialog away from the callers, so tests answer alerts instead of blocking.
struct Alert
{
    enum class Style { Informational, Warning, Critical };
    Style style = Style::Informational;
    QString message; // the bold first line
    QString informativeText; // the explanation below it
    QStringList buttons;
    // The button that ends the program, if one does: asked to end while the
    // alert is up (SIGTERM, SIGINT), the program answers the alert with it.
    int quitButton = -1;
    // The button Return chooses; an alert whose first button can't be undone names
    // its harmless one instead, so that a reflexive Return loses nothing.
    int defaultButton = 0;
    // The button Escape chooses, none (-1) to leave it to the dialog.
    int cancelButton = -1;
};

class AlertPresenter
{
public:
    virtual ~AlertPresenter() = default;
    // Shows the alert and waits for the answer: the index of the chosen button, or -1
    // when the alert was closed without one. Main thread only.
    virtual int run(const Alert &alert) = 0;
    // The program is asked to end: an alert that is up closes at once, answered with
    // its quitButton (-1 when it has none). Nothing happens without one. Main thread only.
    virtual void closeForTermination() { }
};
