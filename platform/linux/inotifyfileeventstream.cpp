#include "platform/linux/inotifyfileeventstream.h"

#include "platform/log.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const Log &log()
{
    static const Log instance("FileEventStream");
    return instance;
}

constexpr uint32_t treeMask = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO
    | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr uint32_t ancestorMask = IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

bool isFolder(const QByteArray &path, bool followLink)
{
    struct stat info
    {
    };
    const int status = followLink ? ::stat(path.constData(), &info) : ::lstat(path.constData(), &info);
    return status == 0 && S_ISDIR(info.st_mode);
}

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

bool isSelfOrInside(const QByteArray &path, const QByteArray &folder)
{
    return path == folder || (path.startsWith(folder) && path.at(folder.size()) == '/');
}

} // namespace

InotifyFileEventStream::InotifyFileEventStream(QObject *parent)
    : FileEventStream(parent)
{ }

InotifyFileEventStream::~InotifyFileEventStream()
{
    stop();
}

int InotifyFileEventStream::watchCount() const
{
    return int(m_folderOfWatch.size()) + (m_ancestorWatch >= 0 ? 1 : 0);
}

bool InotifyFileEventStream::startWatching(const QString &path, QString *errorString)
{
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        *errorString = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_root = QFile::encodeName(QDir::cleanPath(QDir(path).absolutePath()));
    m_limitLogged = false;
    if (!armRoot()) {
        *errorString = QStringLiteral("No folder on the way to %1 can be watched").arg(path);
        stopWatching();
        return false;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InotifyFileEventStream::onReadable);
    return true;
}

void InotifyFileEventStream::stopWatching()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0)
        ::close(m_fd); // drops every watch with it
    m_fd = -1;
    m_folderOfWatch.clear();
    m_watchOfFolder.clear();
    m_rootWatch = -1;
    m_ancestorWatch = -1;
}

// Watches the whole tree when the root is there, else its nearest existing
// ancestor, so that the root's return can be seen. False when neither works.
bool InotifyFileEventStream::armRoot()
{
    if (m_ancestorWatch >= 0) {
        ::inotify_rm_watch(m_fd, m_ancestorWatch);
        m_ancestorWatch = -1;
    }
    // The root can appear between the test and the ancestor's watch: test again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (isFolder(m_root, true)) {
            addTree(m_root, true);
            if (m_rootWatch >= 0)
                return true;
        }
        watchAncestor();
        if (m_ancestorWatch < 0)
            return false;
        if (!isFolder(m_root, true))
            return true;
        ::inotify_rm_watch(m_fd, m_ancestorWatch);
        m_ancestorWatch = -1;
    }
    watchAncestor();
    return m_ancestorWatch >= 0;
}

void InotifyFileEventStream::watchAncestor()
{
    QByteArray ancestor = parentOf(m_root);
    while (true) {
        if (isFolder(ancestor, true)) {
            const int watch = ::inotify_add_watch(m_fd, ancestor.constData(), ancestorMask);
            if (watch >= 0) {
                m_ancestorWatch = watch;
                m_ancestor = ancestor;
                return;
            }
        }
        if (ancestor == "/")
            return;
        ancestor = parentOf(ancestor);
    }
}

// The ancestor's folder may be busy (a home folder, /tmp): only a change to
// the next folder on the way down to the root matters.
bool InotifyFileEventStream::isOnTheWayToRoot(const QByteArray &path) const
{
    return isSelfOrInside(m_root, path);
}

void InotifyFileEventStream::addTree(const QByteArray &folder, bool isRoot)
{
    std::vector<QByteArray> pending { folder };
    while (!pending.empty()) {
        const QByteArray current = std::move(pending.back());
        pending.pop_back();
        const bool atRoot = isRoot && current == folder;
        const uint32_t mask = atRoot ? treeMask : treeMask | IN_DONT_FOLLOW;
        const int watch = ::inotify_add_watch(m_fd, current.constData(), mask);
        if (watch < 0) {
            if (errno == ENOSPC && !m_limitLogged) {
                m_limitLogged = true;
                log().error(QStringLiteral("Reached the system's limit of watched folders; changes under %1 "
                                           "may be missed")
                                .arg(QFile::decodeName(m_root)));
            }
            continue;
        }
        const QByteArray previous = m_folderOfWatch.value(watch);
        if (!previous.isEmpty() && previous != current)
            m_watchOfFolder.remove(previous);
        m_folderOfWatch.insert(watch, current);
        m_watchOfFolder.insert(current, watch);
        if (atRoot)
            m_rootWatch = watch;

        DIR *dir = ::opendir(current.constData());
        if (!dir)
            continue;
        while (const dirent *entry = ::readdir(dir)) {
            const char *name = entry->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            const QByteArray child = current + '/' + name;
            if (entry->d_type == DT_DIR || (entry->d_type == DT_UNKNOWN && isFolder(child, false)))
                pending.push_back(child);
        }
        ::closedir(dir);
    }
}

void InotifyFileEventStream::removeTree(const QByteArray &folder)
{
    for (auto it = m_watchOfFolder.begin(); it != m_watchOfFolder.end();) {
        if (isSelfOrInside(it.key(), folder)) {
            ::inotify_rm_watch(m_fd, it.value());
            m_folderOfWatch.remove(it.value());
            it = m_watchOfFolder.erase(it);
        } else {
            ++it;
        }
    }
}

void InotifyFileEventStream::removeAllWatches()
{
    for (auto it = m_folderOfWatch.cbegin(); it != m_folderOfWatch.cend(); ++it)
        ::inotify_rm_watch(m_fd, it.key());
    if (m_ancestorWatch >= 0)
        ::inotify_rm_watch(m_fd, m_ancestorWatch);
    m_folderOfWatch.clear();
    m_watchOfFolder.clear();
    m_rootWatch = -1;
    m_ancestorWatch = -1;
}

void InotifyFileEventStream::onReadable()
{
    alignas(inotify_event) char buffer[64 * 1024];
    bool changed = false;
    bool rearm = false;
    while (m_fd >= 0) {
        const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            offset += ssize_t(sizeof(inotify_event) + event->len);
            const uint32_t mask = event->mask;

            if (mask & IN_Q_OVERFLOW) {
                rearm = true;
                changed = true;
                continue;
            }
            if (event->wd == m_ancestorWatch) {
                // Something appeared on the way to the root, or the ancestor
                // itself went: look for the root again.
                if (mask & (IN_DELETE_SELF | IN_MOVE_SELF))
                    rearm = true;
                else if (event->len > 0
                    && isOnTheWayToRoot((m_ancestor == "/" ? QByteArray() : m_ancestor) + '/' + event->name))
                    rearm = true;
                continue;
            }
            const auto found = m_folderOfWatch.constFind(event->wd);
            if (found == m_folderOfWatch.cend())
                continue; // a watch already dropped
            const QByteArray folder = found.value();

            if (event->wd == m_rootWatch && (mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED))) {
                rearm = true;
                changed = true;
                continue;
            }
            if (mask & IN_IGNORED) {
                m_folderOfWatch.remove(event->wd);
                // A folder held open ends late: its path may already belong
                // to the watch of a new folder of the same name.
                if (m_watchOfFolder.value(folder, -1) == event->wd)
                    m_watchOfFolder.remove(folder);
                continue;
            }
            if ((mask & IN_ISDIR) && event->len > 0) {
                const QByteArray child = folder + '/' + event->name;
                if (mask & IN_MOVED_FROM)
                    removeTree(child);
                if (mask & (IN_CREATE | IN_MOVED_TO))
                    addTree(child, false);
            }
            changed = true;
        }
    }
    if (rearm) {
        const bool hadRoot = m_rootWatch >= 0;
        removeAllWatches();
        armRoot();
        if (hadRoot || m_rootWatch >= 0)
            changed = true;
    }
    if (changed)
        noteChange();
}
