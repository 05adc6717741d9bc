#pragma once

#include "platform/fileeventstream.h"

#include <QByteArray>
#include <QHash>

class QSocketNotifier;

// The file event stream over inotify. inotify watches single folders, so every
// folder of the tree gets a watch, and folders created or moved in later get
// theirs as their events arrive. A missing root is waited for by watching its
// nearest existing ancestor; a root that is deleted or moved away is waited for
// the same way. When the kernel's queue overflows, events were lost, so every
// watch is set up afresh and a change is reported.
//
// Symbolic links inside the tree are not followed (a link loop can't make the
// walk endless); a root reached through a link is followed.
class InotifyFileEventStream final : public FileEventStream
{
    Q_OBJECT
public:
    explicit InotifyFileEventStream(QObject *parent = nullptr);
    ~InotifyFileEventStream() override;

    // Folders watched right now, the root's ancestor included.
    int watchCount() const;

protected:
    bool startWatching(const QString &path, QString *errorString) override;
    void stopWatching() override;

private:
    void onReadable();
    bool armRoot();
    void addTree(const QByteArray &folder, bool isRoot);
    void removeTree(const QByteArray &folder);
    void removeAllWatches();
    void watchAncestor();
    bool isOnTheWayToRoot(const QByteArray &path) const;

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_root;
    int m_rootWatch = -1;
    int m_ancestorWatch = -1;
    QByteArray m_ancestor;
    QHash<int, QByteArray> m_folderOfWatch;
    QHash<QByteArray, int> m_watchOfFolder;
    bool m_limitLogged = false;
};
