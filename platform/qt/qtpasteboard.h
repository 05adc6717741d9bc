#pragma once

#include "platform/pasteboard.h"

#include <QHash>

class QClipboard;
class QElapsedTimer;

// The pasteboard over QClipboard's CLIPBOARD selection. A change is Qt's
// changed(Clipboard), which on X11 follows every new owner (XFixes) and every
// write of ours. What a foreign owner offers is asked once per change, and an
// owner that let one read time out is not asked again until the next change:
// a non-answering owner costs one selection time-out, not one per read. On X11
// the capture reads through a connection of its own, off the GUI thread
// (offThreadReader); reading here remains for platforms whose clipboard lives
// in this process.
class QtPasteboard final : public Pasteboard
{
    Q_OBJECT
public:
    // `clipboard` is the application's (QGuiApplication::clipboard()) and outlives this.
    explicit QtPasteboard(QClipboard &clipboard, QObject *parent = nullptr);

    std::unique_ptr<PasteboardReader> offThreadReader() override;

protected:
    std::optional<QStringList> readFormats() override;
    std::optional<QByteArray> readFormat(const QString &format) override;
    std::optional<QString> readText() override;
    void writeContents(const PasteboardContents &contents) override;

private:
    void forgetReads();
    void noteAnswer(bool empty, const QElapsedTimer &asked);

    QClipboard &m_clipboard;
    std::optional<std::optional<QStringList>> m_formats; // outer: asked yet
    QHash<QString, std::optional<QByteArray>> m_bytes;
    std::optional<std::optional<QString>> m_text;
    bool m_ownerSilent = false; // a read of this change timed out
};
