#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Collects the log messages sent while it exists (from any thread), so a test can
// check that a fixed sentence was logged, and at which level. Not nestable.
class LogCapture
{
public:
    struct Line
    {
        QtMsgType type;
        QString category; // without the "com.quorvane.app." prefix
        QString message;
    };

    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QList<Line> lines() const;
    QStringList messages() const;
    int count(const QString &message) const;
    bool contains(const QString &message) const { return count(message) > 0; }
    bool containsPrefix(const QString &prefix) const;
    void clear();
};
