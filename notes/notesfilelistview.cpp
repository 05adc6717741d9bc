#include "notes/notesfilelistview.h"

#include "notes/notesenvironment.h"
#include "notes/notesmanager.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/mainqueue.h"
#include "platform/qt/derivedpalette.h"
#include "platform/symbolicon.h"
#include "platform/workspace.h"

#include "ui/panelstyle.h"

#include <QAbstractListModel>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

constexpr std::chrono::milliseconds scrollDelay { 100 };
constexpr int rowSpacing = 2;
constexpr int sectionInset = 4;
constexpr int sectionContentIndent = 12;
constexpr qreal headerTint = 0.12;
constexpr qreal secondaryOpacity = PanelStyle::secondaryAlpha;

char32_t nextCodePoint(const QString &text, qsizetype &i)
{
    const QChar unit = text.at(i++);
    if (unit.isHighSurrogate() && i < text.size() && text.at(i).isLowSurrogate())
        return QChar::surrogateToUcs4(unit, text.at(i++));
    return unit.unicode();
}

// Unicode order: QString's own comparison is by UTF-16 unit, which puts every
// character above U+FFFF before U+E000…U+FFFF.
bool codePointLess(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = nextCodePoint(a, i);
        const char32_t y = nextCodePoint(b, j);
        if (x != y)
            return x < y;
    }
    return i == a.size() && j < b.size();
}

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

struct Row
{
    enum class Kind { Note, Folder };
    Kind kind = Kind::Note;
    NoteFile note; // Note
    QString folder; // Folder: its name; Note: its section, empty at the root
    bool expanded = false; // Folder
    bool selected = false; // Note

    bool isSameItem(const Row &other) const
    {
        return kind == other.kind
            && (kind == Kind::Note ? note.url == other.note.url : folder == other.folder);
    }
    friend bool operator==(const Row &, const Row &) = default;
};

} // namespace

NotesListing NotesListing::make(const QList<NoteFile> &allFiles, const QSet<QString> &folders,
    const QString &query, const NoteSearchIndex &index)
{
    const NoteSearchIndex &search = index.size() == allFiles.size() ? index : NoteSearchIndex::of(allFiles);
    const QString needle = noteSearchKey(query);
    const std::u16string_view needleView(QStringView(needle).utf16(), std::size_t(needle.size()));
    NotesListing listing;
    std::vector<QList<qsizetype>> byFolder(std::size_t(search.folders().size()));
    for (qsizetype i = 0; i < search.size(); ++i) {
        // A plain search of each short name: the library's general one cost
        // more in setting up per call than in searching.
        const QStringView key = search.searchKey(i);
        if (!needle.isEmpty()
            && std::u16string_view(key.utf16(), std::size_t(key.size())).find(needleView)
                == std::u16string_view::npos)
            continue;
        const int folder = search.folder(i);
        (folder < 0 ? listing.rootFiles : byFolder[std::size_t(folder)]).append(i);
    }
    QHash<QString, int> folderNumbers;
    for (qsizetype i = 0; i < search.folders().size(); ++i)
        folderNumbers.insert(search.folders()[i], int(i));
    for (const QString &folder : sortedFolders(folders)) {
        const int number = folderNumbers.value(folder, -1);
        if (number < 0 || byFolder[std::size_t(number)].isEmpty())
            continue;
        listing.folderSections.append({ folder, std::move(byFolder[std::size_t(number)]) });
    }
    return listing;
}

QStringList NotesListing::sortedFolders(const QSet<QString> &folders)
{
    std::vector<std::pair<QString, QString>> keyed;
    keyed.reserve(folders.size());
    for (const QString &folder : folders)
        keyed.emplace_back(folder.normalized(QString::NormalizationForm_C), folder);
    std::sort(keyed.begin(), keyed.end(), [](const auto &a, const auto &b) {
        return codePointLess(a.first, b.first) || (a.first == b.first && codePointLess(a.second, b.second));
    });
    QStringList sorted;
    sorted.reserve(qsizetype(keyed.size()));
    for (auto &[key, folder] : keyed)
        sorted.append(std::move(folder));
    return sorted;
}

// The rows on screen. A new set of rows replaces only what differs: the rows
// before and after the first and last difference stay, changed rows in them are
// repainted, and only the rows between are removed and inserted.
class NotesFileListView::Model : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || role != Qt::DisplayRole)
            return {};
        const Row &row = m_rows[std::size_t(index.row())];
        return row.kind == Row::Kind::Note ? row.note.name : row.folder;
    }

    const Row &row(int index) const { return m_rows[std::size_t(index)]; }
    int indexOf(const QUrl &note) const
    {
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            if (m_rows[i].kind == Row::Kind::Note && m_rows[i].note.url == note)
                return int(i);
        }
        return -1;
    }

    // Marks the row of `note` alone as selected.
    void select(const std::optional<QUrl> &note)
    {
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            Row &row = m_rows[i];
            const bool selected = row.kind == Row::Kind::Note && note == row.note.url;
            if (row.selected != selected) {
                row.selected = selected;
                Q_EMIT dataChanged(index(int(i)), index(int(i)));
            }
        }
    }

    void setRows(std::vector<Row> rows)
    {
        const std::size_t newSize = rows.size();
        std::size_t prefix = 0;
        while (prefix < m_rows.size() && prefix < newSize && m_rows[prefix].isSameItem(rows[prefix]))
            ++prefix;
        std::size_t suffix = 0;
        while (suffix < m_rows.size() - prefix && suffix < newSize - prefix
            && m_rows[m_rows.size() - 1 - suffix].isSameItem(rows[newSize - 1 - suffix]))
            ++suffix;
        reconcileMiddle(rows, prefix, newSize - suffix, m_rows.size() - suffix);

        for (std::size_t i = 0; i < newSize; ++i) {
            if (!(m_rows[i] == rows[i])) {
                m_rows[i] = std::move(rows[i]);
                Q_EMIT dataChanged(index(int(i)), index(int(i)));
            }
        }
    }

private:
    // The items of a set of rows, by identity. Notes are hashed by URL as it
    // stands: building a text key per row cost more than the rest of a rebuild.
    struct Items
    {
        QSet<QUrl> notes;
        QSet<QString> folders;

        void insert(const Row &row)
        {
            if (row.kind == Row::Kind::Note)
                notes.insert(row.note.url);
            else
                folders.insert(row.folder);
        }
        bool contains(const Row &row) const
        {
            return row.kind == Row::Kind::Note ? notes.contains(row.note.url) : folders.contains(row.folder);
        }
    };

    // Makes rows [begin, oldEnd) hold the items of rows [begin, newEnd) of
    // `rows`: rows that went are removed, the ones that came inserted, and
    // reordered ones moved, so a note that got newer moves one row. Past a few
    // changes the rest is replaced wholesale, which keeps the work linear.
    void reconcileMiddle(
        const std::vector<Row> &rows, std::size_t begin, std::size_t newEnd, std::size_t oldEnd)
    {
        constexpr int maxSteps = 32;
        if (begin == oldEnd && begin == newEnd)
            return;
        Items wanted;
        wanted.notes.reserve(qsizetype(newEnd - begin));
        for (std::size_t i = begin; i < newEnd; ++i)
            wanted.insert(rows[i]);
        // Rows that went, from the back so the positions ahead stay valid.
        for (std::size_t i = oldEnd; i > begin;) {
            std::size_t last = i - 1;
            if (wanted.contains(m_rows[last])) {
                --i;
                continue;
            }
            std::size_t first = last;
            while (first > begin && !wanted.contains(m_rows[first - 1]))
                --first;
            removeRange(first, last + 1);
            oldEnd -= last + 1 - first;
            i = first;
        }
        int steps = 0;
        for (std::size_t i = begin; i < newEnd; ++i) {
            if (i < oldEnd && m_rows[i].isSameItem(rows[i]))
                continue;
            if (++steps > maxSteps) {
                removeRange(i, oldEnd);
                insertRange(rows, i, newEnd);
                return;
            }
            std::size_t from = i + 1;
            while (from < oldEnd && !m_rows[from].isSameItem(rows[i]))
                ++from;
            if (from < oldEnd) {
                beginMoveRows({}, int(from), int(from), {}, int(i));
                Row moved = std::move(m_rows[from]);
                m_rows.erase(m_rows.begin() + qsizetype(from));
                m_rows.insert(m_rows.begin() + qsizetype(i), std::move(moved));
                endMoveRows();
            } else {
                insertRange(rows, i, i + 1);
                ++oldEnd;
            }
        }
    }

    void removeRange(std::size_t first, std::size_t end)
    {
        if (first >= end)
            return;
        beginRemoveRows({}, int(first), int(end - 1));
        m_rows.erase(m_rows.begin() + qsizetype(first), m_rows.begin() + qsizetype(end));
        endRemoveRows();
    }

    void insertRange(const std::vector<Row> &rows, std::size_t first, std::size_t end)
    {
        if (first >= end)
            return;
        beginInsertRows({}, int(first), int(end - 1));
        m_rows.insert(m_rows.begin() + qsizetype(first), rows.begin() + qsizetype(first),
            rows.begin() + qsizetype(end));
        endInsertRows();
    }

    std::vector<Row> m_rows;
};

class NotesFileListView::Delegate : public QStyledItemDelegate
{
public:
    Delegate(const Model &model, const Clock &clock, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_model(model)
        , m_clock(clock)
        , m_noteHeight(FileRowView::sizeHint().height() + rowSpacing)
    {
        QFont label = folderFont();
        m_folderHeight = QFontMetrics(label).height() + 8 + rowSpacing;
    }

    static QFont folderFont() { return PanelStyle::font(11, QFont::Medium); }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const override
    {
        const bool note = m_model.row(index.row()).kind == Row::Kind::Note;
        return QSize(0, note ? m_noteHeight : m_folderHeight);
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const Row &row = m_model.row(index.row());
        QRect rect = option.rect.adjusted(0, 0, 0, -rowSpacing);
        if (row.kind == Row::Kind::Note) {
            if (!row.folder.isEmpty())
                rect.adjust(sectionInset + sectionContentIndent, 0, -sectionInset, 0);
            FileRowView view;
            view.file = row.note;
            view.isSelected = row.selected;
            view.paint(*painter, rect, option.palette, m_clock.now());
            return;
        }
        paintFolder(*painter, rect.adjusted(sectionInset, 0, -sectionInset, 0), row, option.palette);
    }

private:
    static void paintFolder(QPainter &painter, const QRect &rect, const Row &row, const QPalette &palette)
    {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor secondary = withOpacity(palette.color(QPalette::WindowText), secondaryOpacity);
        const int middle = rect.center().y();
        // The disclosure chevron: pointing right while closed, down while open.
        QPainterPath chevron;
        const QPointF tip(rect.left() + 6, middle);
        if (row.expanded) {
            chevron.moveTo(tip.x() - 3.5, middle - 1.5);
            chevron.lineTo(tip.x(), middle + 2);
            chevron.lineTo(tip.x() + 3.5, middle - 1.5);
        } else {
            chevron.moveTo(tip.x() - 1.5, middle - 3.5);
            chevron.lineTo(tip.x() + 2, middle);
            chevron.lineTo(tip.x() - 1.5, middle + 3.5);
        }
        painter.setPen(QPen(secondary, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(chevron);
        const int x = rect.left() + 30;
        painter.drawPixmap(QRect(rect.left() + 14, middle - 6, 12, 12),
            symbolPixmap(Symbol::Folder, 12, secondary, painter.device()->devicePixelRatioF()));
        painter.setFont(folderFont());
        painter.setPen(secondary);
        const QRect text(x, rect.top(), rect.right() - x, rect.height());
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
            QFontMetrics(folderFont()).elidedText(row.folder, Qt::ElideRight, text.width()));
        painter.restore();
    }

    const Model &m_model;
    const Clock &m_clock;
    int m_noteHeight;
    int m_folderHeight;
};

namespace {

// The header's background: the accent tint while the notes pane has the focus.
class TintedHeader : public QWidget
{
public:
    using QWidget::QWidget;
    void setTinted(bool tinted)
    {
        if (m_tinted == tinted)
            return;
        m_tinted = tinted;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!m_tinted)
            return;
        QPainter painter(this);
        painter.fillRect(rect(), withOpacity(palette().color(QPalette::Highlight), headerTint));
    }

private:
    bool m_tinted = false;
};

} // namespace

NotesFileListView::NotesFileListView(NotesEnvironment &environment, QWidget *parent)
    : NotesFileListView(environment, Clock::system(), parent)
{ }

NotesFileListView::NotesFileListView(NotesEnvironment &environment, const Clock &clock, QWidget *parent)
    : QWidget(parent)
    , m_environment(environment)
    , m_clock(clock)
    , m_log("NotesFileListView")
{
    setObjectName(QStringLiteral("NotesFileListView"));
    onNewNote = [&environment](const QUrl &folder) { environment.createNewNote(folder); };

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *header = new TintedHeader(this);
    header->setObjectName(QStringLiteral("notesListHeader"));
    m_header = header;
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(12, 8, 12, 4);
    auto *title = new QLabel(QStringLiteral("Notes").toUpper(), header);
    QFont titleFont = PanelStyle::font(10, QFont::DemiBold);
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    title->setFont(titleFont);
    derivePalette(*title, [](QPalette &palette) {
        palette.setColor(
            QPalette::WindowText, withOpacity(palette.color(QPalette::WindowText), secondaryOpacity));
    });
    headerRow->addWidget(title);
    headerRow->addStretch(1);
    m_newButton = new QPushButton(QStringLiteral("+ New"), header);
    m_newButton->setObjectName(QStringLiteral("newNoteButton"));
    m_newButton->setFlat(true);
    m_newButton->setFocusPolicy(Qt::NoFocus);
    m_newButton->setCursor(Qt::PointingHandCursor);
    m_newButton->setFont(PanelStyle::font(10));
    m_newButton->setStyleSheet(QStringLiteral("QPushButton { padding: 2px 8px; border-radius: 4px;"
                                              " background: rgba(127, 127, 127, 0.15); }"));
    followLook(*m_newButton);
    connect(m_newButton, &QPushButton::clicked, this, &NotesFileListView::newNote);
    headerRow->addWidget(m_newButton);
    column->addWidget(header);

    m_model = new Model(this);
    m_listView = new QListView(this);
    m_listView->setObjectName(QStringLiteral("notesList"));
    m_listView->setModel(m_model);
    m_listView->setItemDelegate(new Delegate(*m_model, m_clock, m_listView));
    m_listView->setFrameShape(QFrame::NoFrame);
    m_listView->setSelectionMode(QAbstractItemView::NoSelection);
    m_listView->setFocusPolicy(Qt::NoFocus);
    m_listView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_listView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_listView->setContentsMargins(4, 2, 4, 2);
    m_listView->setContextMenuPolicy(Qt::CustomContextMenu);
    m_listView->viewport()->setAutoFillBackground(false);
    m_listView->setAutoFillBackground(false);
    m_listView->setLayoutMode(QListView::Batched);
    connect(m_listView, &QListView::clicked, this, &NotesFileListView::activate);
    connect(m_listView, &QListView::customContextMenuRequested, this, &NotesFileListView::showContextMenu);
    column->addWidget(m_listView, 1);

    NotesManager &manager = m_environment.notesManager();
    // Every publication of the vault's lists ends with the folders: one rebuild per scan.
    connect(&manager, &NotesManager::foldersChanged, this, &NotesFileListView::rebuild);
    connect(&m_environment, &NotesEnvironment::searchQueryChanged, this, &NotesFileListView::rebuild);
    connect(&m_environment, &NotesEnvironment::focusChanged, this, &NotesFileListView::updateHeaderTint);
    connect(&m_environment, &NotesEnvironment::panelVisibleChanged, this, [this](bool visible) {
        // "just now" may be an hour old by the time the panel comes back.
        if (visible)
            m_listView->viewport()->update();
    });
    connect(&m_environment, &NotesEnvironment::selectedNoteURLChanged, this, [this] {
        m_model->select(m_environment.selectedNoteURL());
        if (m_environment.selectedNoteURL()) {
            // After the list has followed the change (a new note is listed by now).
            MainQueue::asyncAfter(
                scrollDelay, [this] { scrollToSelection(); }, this);
        }
    });
    loadExpandedFolders();
    updateHeaderTint();
    rebuild();
}

NotesFileListView::~NotesFileListView() = default;

void NotesFileListView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The rows follow every rescan and query while hidden too: only folders
    // opened elsewhere meanwhile call for new ones, and over a large vault a
    // rebuild would hold up the panel's first frame.
    const QSet<QString> before = m_expandedFolders;
    loadExpandedFolders();
    if (m_expandedFolders != before)
        rebuild();
}

void NotesFileListView::updateHeaderTint()
{
    static_cast<TintedHeader *>(m_header)->setTinted(m_environment.isNotesPaneFocused());
}

void NotesFileListView::loadExpandedFolders()
{
    // A value of another type is ignored: the folders stay as they are.
    if (const auto stored = m_environment.defaults().stringList(DefaultsKey::expandedFolders))
        m_expandedFolders = QSet<QString>(stored->begin(), stored->end());
}

void NotesFileListView::saveExpandedFolders()
{
    QStringList names(m_expandedFolders.begin(), m_expandedFolders.end());
    names.sort();
    m_environment.defaults().setStringList(DefaultsKey::expandedFolders, names);
}

void NotesFileListView::setFolderExpanded(const QString &folder, bool expanded)
{
    if (expanded)
        m_expandedFolders.insert(folder);
    else
        m_expandedFolders.remove(folder);
    saveExpandedFolders();
    rebuild();
}

void NotesFileListView::rebuild()
{
    const NotesManager &manager = m_environment.notesManager();
    const QList<NoteFile> files = manager.allFiles();
    const NotesListing listing
        = NotesListing::make(files, manager.folders(), m_environment.searchQuery(), manager.searchIndex());
    const std::optional<QUrl> selected = m_environment.selectedNoteURL();
    std::vector<Row> rows;
    rows.reserve(std::size_t(listing.rootFiles.size() + listing.folderSections.size()));
    const auto addNote = [&](qsizetype position, const QString &section) {
        const NoteFile &note = files[position];
        rows.push_back({ Row::Kind::Note, note, section, false, selected == note.url });
    };
    for (const qsizetype note : listing.rootFiles)
        addNote(note, QString());
    for (const auto &[folder, notes] : listing.folderSections) {
        const bool open = m_expandedFolders.contains(folder);
        rows.push_back({ Row::Kind::Folder, {}, folder, open, false });
        if (!open)
            continue;
        for (const qsizetype note : notes)
            addNote(note, folder);
    }
    m_model->setRows(std::move(rows));
}

int NotesFileListView::rowCount() const
{
    return m_model->rowCount();
}

QStringList NotesFileListView::rowTexts() const
{
    QStringList texts;
    for (int i = 0; i < m_model->rowCount(); ++i) {
        const Row &row = m_model->row(i);
        if (row.kind == Row::Kind::Note)
            texts.append(QStringLiteral("note:") + row.note.name);
        else
            texts.append(QStringLiteral("folder:") + row.folder + (row.expanded ? u'+' : u'-'));
    }
    return texts;
}

FileRowView NotesFileListView::makeRow(const NoteFile &note) const
{
    // The list may be gone when a menu entry fires late.
    QPointer<NotesFileListView> self(const_cast<NotesFileListView *>(this));
    FileRowView row;
    row.file = note;
    row.isSelected = m_environment.selectedNoteURL() == note.url;
    row.folders = NotesListing::sortedFolders(m_environment.notesManager().folders());
    row.onSelect = [self, note] {
        if (self)
            self->select(note.url);
    };
    row.onRename = [self, note] {
        if (self)
            self->beginRename(note);
    };
    row.onRevealInFinder = [self, note] {
        if (self)
            self->reveal(note);
    };
    row.onMove = [self, note](const std::optional<QString> &folder) {
        if (self)
            self->move(note, folder);
    };
    row.onDelete = [self, note] {
        if (self)
            self->remove(note);
    };
    return row;
}

std::optional<FileRowView> NotesFileListView::rowView(const QUrl &note) const
{
    const int index = m_model->indexOf(note);
    if (index < 0)
        return std::nullopt;
    return makeRow(m_model->row(index).note);
}

void NotesFileListView::activate(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const Row &row = m_model->row(index.row());
    if (row.kind == Row::Kind::Folder) {
        setFolderExpanded(row.folder, !row.expanded);
        return;
    }
    select(row.note.url);
}

void NotesFileListView::showContextMenu(const QPoint &position)
{
    const QModelIndex index = m_listView->indexAt(position);
    if (!index.isValid())
        return;
    const Row row = m_model->row(index.row());
    QMenu menu(this);
    if (row.kind == Row::Kind::Folder) {
        menu.addAction(QStringLiteral("New Note in %1").arg(row.folder),
            [this, folder = row.folder] { newNoteInFolder(folder); });
    } else {
        makeRow(row.note).fillContextMenu(menu);
    }
    menu.exec(m_listView->viewport()->mapToGlobal(position));
}

void NotesFileListView::scrollToSelection()
{
    const std::optional<QUrl> selected = m_environment.selectedNoteURL();
    if (!selected)
        return;
    // A note in a closed section, or one the filter hides, has no row: nothing to show.
    const int index = m_model->indexOf(*selected);
    if (index >= 0)
        m_listView->scrollTo(m_model->index(index), QAbstractItemView::PositionAtTop);
}

void NotesFileListView::newNote()
{
    const QUrl vault = m_environment.notesManager().vaultURL();
    if (!vault.isEmpty() && onNewNote)
        onNewNote(vault);
}

void NotesFileListView::newNoteInFolder(const QString &folder)
{
    // The section's folder itself, even when its newest note lies deeper down:
    // the menu names one place, and the note must land there.
    const QUrl vault = m_environment.notesManager().vaultURL();
    if (vault.isEmpty() || !onNewNote)
        return;
    onNewNote(QUrl::fromLocalFile(vault.toLocalFile() + u'/' + folder));
}

void NotesFileListView::select(const QUrl &note)
{
    m_environment.setSelectedNoteURL(note);
}

void NotesFileListView::reveal(const NoteFile &note)
{
    if (!m_environment.workspace().revealFile(note.url.toLocalFile()))
        m_log.error(QStringLiteral("Could not show %1 in the file manager").arg(note.url.toLocalFile()));
}

void NotesFileListView::move(const NoteFile &note, const std::optional<QString> &folder)
{
    if (onWillChangeNote)
        onWillChangeNote(note.url);
    const auto moved = m_environment.notesManager().moveNote(note.url, folder);
    if (!moved) {
        m_log.error(
            QStringLiteral("Failed to move note %1: %2").arg(note.url.fileName(), moved.error().description));
        return;
    }
    followMove(note.url, moved.value());
}

void NotesFileListView::remove(const NoteFile &note)
{
    if (onWillChangeNote)
        onWillChangeNote(note.url);
    const auto deleted = m_environment.notesManager().deleteNote(note.url);
    if (!deleted)
        m_log.error(QStringLiteral("Failed to delete note %1: %2")
                        .arg(note.url.fileName(), deleted.error().description));
    // Cleared either way: a selection of a note the user threw away is not kept.
    if (m_environment.selectedNoteURL() == note.url)
        m_environment.setSelectedNoteURL(std::nullopt);
}

void NotesFileListView::beginRename(const NoteFile &note)
{
    if (!m_renameDialog) {
        auto *dialog = new QDialog(this);
        dialog->setObjectName(QStringLiteral("renameNoteDialog"));
        dialog->setWindowTitle(QStringLiteral("Rename Note"));
        dialog->setWindowModality(Qt::WindowModal);
        auto *layout = new QVBoxLayout(dialog);
        auto *label = new QLabel(QStringLiteral("New name:"), dialog);
        layout->addWidget(label);
        m_renameField = new QLineEdit(dialog);
        m_renameField->setPlaceholderText(QStringLiteral("Name"));
        label->setBuddy(m_renameField);
        layout->addWidget(m_renameField);
        // Room for a long name: the field shows some sixty characters before it scrolls.
        m_renameField->setMinimumWidth(m_renameField->fontMetrics().averageCharWidth() * 60);
        auto *buttons = new QDialogButtonBox(dialog);
        QPushButton *rename = buttons->addButton(QStringLiteral("Rename"), QDialogButtonBox::AcceptRole);
        rename->setDefault(true);
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &NotesFileListView::commitRenameDialog);
        connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
        // Closed in any way: no rename is under way any more.
        connect(dialog, &QDialog::finished, this, [this] { m_renamingFile.reset(); });
        m_renameDialog = dialog;
    }
    m_renamingFile = note;
    m_renameField->setText(note.name);
    m_renameField->selectAll();
    m_renameDialog->open();
    m_renameField->setFocus();
}

QDialog *NotesFileListView::renameDialog() const
{
    return m_renameDialog && m_renameDialog->isVisible() ? m_renameDialog.data() : nullptr;
}

void NotesFileListView::commitRenameDialog()
{
    const std::optional<NoteFile> note = m_renamingFile;
    const QString title = m_renameField ? m_renameField->text() : QString();
    if (m_renameDialog)
        m_renameDialog->accept();
    m_renamingFile.reset();
    if (!note)
        return;
    if (onWillChangeNote)
        onWillChangeNote(note->url);
    // Trimmed and checked by the manager.
    const auto renamed = m_environment.notesManager().renameNote(note->url, title);
    if (!renamed) {
        m_log.error(QStringLiteral("Failed to rename note %1: %2")
                        .arg(note->url.fileName(), renamed.error().description));
        return;
    }
    followMove(note->url, renamed.value());
}

void NotesFileListView::followMove(const QUrl &from, const QUrl &to)
{
    if (onNoteMoved)
        onNoteMoved(from, to);
    if (m_environment.selectedNoteURL() == from)
        m_environment.setSelectedNoteURL(to);
}
