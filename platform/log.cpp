#include "platform/log.h"

#include <QMutex>

#include <map>
#include <memory>

namespace {

// QLoggingCategory keeps the name pointer it is given, so names and categories
// live for the whole process, one per category however many Log objects name it.
const QLoggingCategory *categoryFor(const char *name)
{
    static QMutex mutex;
    // std::map nodes never move, so the key's bytes stay valid for the category.
    static std::map<QByteArray, std::unique_ptr<QLoggingCategory>> categories;
    QMutexLocker locker(&mutex);
    auto [it, inserted] = categories.try_emplace(QByteArray(Log::subsystem()) + '.' + name);
    if (inserted)
        it->second = std::make_unique<QLoggingCategory>(it->first.constData());
    return it->second.get();
}

} // namespace

Log::Log(const char *category)
    : m_category(categoryFor(category))
{ }

const char *Log::subsystem()
{
    return "com.quorvane.app";
}

void Log::fault(const QString &message) const
{
    if (m_category->isCriticalEnabled())
        QMessageLogger(nullptr, 0, nullptr, m_category->categoryName()).critical().noquote() << message;
}

void Log::error(const QString &message) const
{
    if (m_category->isWarningEnabled())
        QMessageLogger(nullptr, 0, nullptr, m_category->categoryName()).warning().noquote() << message;
}

void Log::info(const QString &message) const
{
    if (m_category->isInfoEnabled())
        QMessageLogger(nullptr, 0, nullptr, m_category->categoryName()).info().noquote() << message;
}

void Log::debug(const QString &message) const
{
    if (m_category->isDebugEnabled())
        QMessageLogger(nullptr, 0, nullptr, m_category->categoryName()).debug().noquote() << message;
}
