#include "preview/vaultlookup.h"

#include "preview/filepath.h"
#include "preview/obsidiancontext.h"
#include "preview/shareddata.h"

#include <QDir>

#include <mutex>

namespace {

// Names and paths match as Unicode compares texts, ignoring case: a file name
// stored decomposed (as some file systems and sync tools write accents) still
// matches a link typed with the precomposed letter.
QString matchingForm(QStringView text)
{
    return text.toString().toLower().normalized(QString::NormalizationForm_C);
}

void addFirst(QHash<QString, qsizetype> &index, const QString &key, qsizetype position)
{
    if (!index.contains(key))
        index.insert(key, position);
}

std::optional<qsizetype> lookUp(const QHash<QString, qsizetype> &index, const QString &key)
{
    const auto it = index.constFind(key);
    return it == index.constEnd() ? std::nullopt : std::optional<qsizetype>(*it);
}

bool sameEntry(const NoteFile &a, const NoteFile &b)
{
    return a.name == b.name && a.folder == b.folder && a.url == b.url;
}

} // namespace

VaultLookup::VaultLookup(
    const QList<NoteFile> &files, const QList<QUrl> &media, const std::optional<QUrl> &vaultURL)
    : m_files(files)
    , m_media(media)
    , m_vaultURL(vaultURL)
{
    auto indexes = std::make_shared<Indexes>();
    indexes->notesByName.reserve(files.size());
    for (qsizetype i = 0; i < files.size(); ++i) {
        const NoteFile &note = files[i];
        addFirst(indexes->notesByName, matchingForm(note.name), i);
        if (note.folder)
            addFirst(
                indexes->notesByFolderAndName, matchingForm(QString(*note.folder + u'/' + note.name)), i);
    }

    indexes->mediaByName.reserve(media.size());
    for (qsizetype i = 0; i < media.size(); ++i)
        addFirst(indexes->mediaByName, matchingForm(lastPathComponent(media[i].toLocalFile())), i);

    // The vault's folder comes off the front of a media path only: a media path
    // that repeats the vault's name further down keeps that part.
    if (vaultURL) {
        QString base = QDir::cleanPath(vaultURL->toLocalFile()).normalized(QString::NormalizationForm_C);
        if (!base.endsWith(u'/'))
            base += u'/';
        for (qsizetype i = 0; i < media.size(); ++i) {
            QString path = media[i].toLocalFile().normalized(QString::NormalizationForm_C);
            if (path.startsWith(base))
                path.remove(0, base.size());
            addFirst(indexes->mediaByRelativePath, matchingForm(path), i);
        }
    }
    m_indexes = std::move(indexes);
}

VaultLookup::VaultLookup(const QList<NoteFile> &files, const QList<QUrl> &media,
    const std::optional<QUrl> &vaultURL, std::shared_ptr<const Indexes> indexes)
    : m_files(files)
    , m_media(media)
    , m_vaultURL(vaultURL)
    , m_indexes(std::move(indexes))
{ }

std::shared_ptr<const VaultLookup> VaultLookup::of(const ObsidianContext &context)
{
    if (context.lookup && context.lookup->isBuiltFrom(context))
        return context.lookup;

    // One vault is on screen at a time: keeping the last lookup handed out is
    // enough for every context made from the same scan to share it. A rescan
    // that finds the vault as it was publishes new lists with the same entries;
    // they take over the indexes instead of building them again.
    static std::mutex mutex;
    static std::shared_ptr<const VaultLookup> last;
    const std::lock_guard lock(mutex);
    if (last && last->isBuiltFrom(context))
        return last;
    if (last && last->hasSameEntriesAs(context))
        last.reset(new VaultLookup(context.allFiles, context.allMedia, context.vaultURL, last->m_indexes));
    else
        last = std::make_shared<const VaultLookup>(context.allFiles, context.allMedia, context.vaultURL);
    return last;
}

std::optional<qsizetype> VaultLookup::findNote(QStringView target) const
{
    if (target.isEmpty())
        return std::nullopt;
    return lookUp(target.contains(u'/') ? m_indexes->notesByFolderAndName : m_indexes->notesByName,
        matchingForm(target));
}

std::optional<qsizetype> VaultLookup::findMedia(QStringView target) const
{
    if (target.contains(u'/') && m_vaultURL)
        return lookUp(m_indexes->mediaByRelativePath, matchingForm(target));
    return lookUp(m_indexes->mediaByName, matchingForm(lastPathComponent(target)));
}

bool VaultLookup::isBuiltFrom(const ObsidianContext &context) const
{
    return sharesData(m_files, context.allFiles) && sharesData(m_media, context.allMedia)
        && m_vaultURL == context.vaultURL;
}

bool VaultLookup::hasSameEntriesAs(const ObsidianContext &context) const
{
    return m_vaultURL == context.vaultURL
        && std::equal(
            m_files.begin(), m_files.end(), context.allFiles.begin(), context.allFiles.end(), sameEntry)
        && m_media == context.allMedia;
}
