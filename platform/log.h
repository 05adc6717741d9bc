#pragma once

#include <QLoggingCategory>
#include <QString>

// The program's log: one category per class, under "com.quorvane.app.<Category>".
// Messages are fixed English sentences; arguments are filled in with QString::arg.
// Levels: fault ends the program (start-up failures), error is a failed operation,
// info a lifecycle event, debug a per-item event. Any thread may log.
class Log
{
public:
    explicit Log(const char *category);

    void fault(const QString &message) const;
    void error(const QString &message) const;
    void info(const QString &message) const;
    void debug(const QString &message) const;

    const QLoggingCategory &category() const { return *m_category; }

    // "com.quorvane.app": the prefix of every category.
    static const char *subsystem();

private:
    const QLoggingCategory *m_category;
};
