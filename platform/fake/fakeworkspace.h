#pragma once

#include "platform/workspace.h"

#include <QList>
#include <QStringList>

// Records what was to be opened or shown and answers with `succeeds`.
class FakeWorkspace final : public Workspace
{
public:
    bool open(const QUrl &url) override
    {
        opened.append(url);
        return succeeds;
    }
    bool revealFile(const QString &path) override
    {
        revealed.append(path);
        return succeeds;
    }

    QList<QUrl> opened;
    QStringList revealed;
    bool succeeds = true;
};
