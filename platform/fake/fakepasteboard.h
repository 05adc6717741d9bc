#pragma once

#include "platform/pasteboard.h"

#include <memory>

// A pasteboard in memory. Tests play the other programs with offer...(), each
// offer being one change; what this program writes is readable back, as on a
// real clipboard, and also kept as written(). It answers at once, so capture
// reads it on the main thread, unless a test holds reads (holdReads()): then it
// hands out readers for another thread, as an X server's clipboard does, whose
// first read waits until the test releases them.
class FakePasteboard final : public Pasteboard
{
    Q_OBJECT
public:
    using Pasteboard::Pasteboard;

    // Replaces the contents with these formats and their bytes (one change).
    void offer(const QMap<QString, QByteArray> &formats);
    void offerText(const QString &text) { offer({ { PasteboardType::string, text.toUtf8() } }); }
    // The next read of the type list fails, as with an owner that doesn't answer.
    void failNextFormatsRead() { m_failNextFormatsRead = true; }

    // From now on capture reads through readers of the contents at the time each
    // is made, which wait at their first read until releaseReads().
    void holdReads();
    void releaseReads();
    int offThreadReadersMade() const { return m_readersMade; }
    std::unique_ptr<PasteboardReader> offThreadReader() override;

    // Reads of the type list and of format bytes since the last reset.
    int formatReads() const { return m_formatReads; }
    int dataReads() const { return m_dataReads; }
    void resetReadCounts() { m_formatReads = m_dataReads = 0; }

    PasteboardContents written() const { return m_written; }
    QMap<QString, QByteArray> formats() const { return m_formats; }

protected:
    std::optional<QStringList> readFormats() override;
    std::optional<QByteArray> readFormat(const QString &format) override;
    std::optional<QString> readText() override;
    void writeContents(const PasteboardContents &contents) override;

private:
    struct Gate;
    class HeldReader;

    QMap<QString, QByteArray> m_formats;
    std::shared_ptr<Gate> m_gate; // while reads are held or were held
    int m_readersMade = 0;
    PasteboardContents m_written;
    bool m_failNextFormatsRead = false;
    int m_formatReads = 0;
    int m_dataReads = 0;
};
