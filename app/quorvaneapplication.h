#pragma once

#include <QApplication>

#include <exception>

// The program's application object. An exception must never unwind through Qt's
// event dispatch: one that escapes an event handler stops here, is logged once, and
// ends the event loop with a failure status, so the normal shutdown still runs and
// saves what was written. Main thread only.
class QuorvaneApplication final : public QApplication
{
public:
    QuorvaneApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Whether an escaped exception asked the program to end. Set before the event
    // loop runs too (a handler inside a launch-time dialog), when asking the loop to
    // end has no effect yet: the caller must not start the loop then.
    static bool hasFailed();

    // The last resort for an exception no handler caught (here and in main): logs it
    // at fault level and returns the status the program ends with.
    static int reportUnexpectedError(std::exception_ptr error);
};
