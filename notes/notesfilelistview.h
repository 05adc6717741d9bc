#pragma once

#include "notes/filerowview.h"
#include "notes/notefile.h"
#include "notes/notesearchindex.h"
#include "platform/log.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

class Clock;
class NotesEnvironment;
class QDialog;
class QLineEdit;
class QListView;
class QModelIndex;
class QPushButton;

// What the list shows for a vault and a search text: the notes at the vault's
// root, then one section per top-level folder holding a note that passes the
// filter; notes newest first, folders in code-point order. Notes are given by
// their position in the `allFiles` the listing was made from: a keystroke over
// a large vault copies only the notes that get rows.
struct NotesListing
{
    QList<qsizetype> rootFiles;
    QList<QPair<QString, QList<qsizetype>>> folderSections;

    // `allFiles` come newest first, as the notes manager lists them; notes of
    // one date keep their order. `query` matches a note whose name holds it,
    // ignoring case; composed and decomposed spellings of a character match
    // each other. Not trimmed.
    // `index`, in step with `allFiles`, spares folding every name again;
    // without it (or out of step) names are folded here.
    static NotesListing make(const QList<NoteFile> &allFiles, const QSet<QString> &folders,
        const QString &query, const NoteSearchIndex &index = {});
    // Folder names in the order the list shows them.
    static QStringList sortedFolders(const QSet<QString> &folders);
};

// The left column of the notes pane: a "Notes" header with "+ New", then the
// vault's notes as the listing orders them, each folder a section the user opens
// and closes (remembered under "expandedFolders"). Rows select, rename (a small
// dialog), reveal, move and delete their notes through the notes manager, and the
// selection follows a note that is renamed or moved.
//
// Only the rows of open sections exist, as painted items without widgets, and a
// rescan changes only the rows that differ, so a vault of thousands of notes stays
// quick. Main thread only.
class NotesFileListView : public QWidget
{
    Q_OBJECT
public:
    // `environment` and `clock` outlive the list.
    explicit NotesFileListView(NotesEnvironment &environment, QWidget *parent = nullptr);
    NotesFileListView(NotesEnvironment &environment, const Clock &clock, QWidget *parent = nullptr);
    ~NotesFileListView() override;

    // A new note in the folder given (a folder URL); by default the shared
    // state's new-note action.
    std::function<void(const QUrl &folder)> onNewNote;
    // Called before the list renames, moves or trashes a note, so whoever holds
    // unsaved text of it writes it first.
    std::function<void(const QUrl &note)> onWillChangeNote;
    // The note now lives at another URL (renamed or moved).
    std::function<void(const QUrl &from, const QUrl &to)> onNoteMoved;

    // --- what the user does, also for tests --------------------------------
    void newNote(); // "+ New"
    void newNoteInFolder(const QString &folder); // "New Note in <folder>"
    void setFolderExpanded(const QString &folder, bool expanded);
    bool isFolderExpanded(const QString &folder) const { return m_expandedFolders.contains(folder); }
    // The row of a listed note, its callbacks bound to this list; none when the
    // note has no row (filtered out, or inside a closed section).
    std::optional<FileRowView> rowView(const QUrl &note) const;
    // The rename dialog, while one is open.
    QDialog *renameDialog() const;
    QLineEdit *renameField() const { return m_renameField; }
    void commitRenameDialog(); // "Rename"

    // --- what is shown ------------------------------------------------------
    QListView *listView() const { return m_listView; }
    QPushButton *newNoteButton() const { return m_newButton; }
    // Per row, top to bottom: "note:<name>" or "folder:<name>" ("+" open, "-" closed).
    QStringList rowTexts() const;
    int rowCount() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    class Model;
    class Delegate;

    void rebuild();
    void loadExpandedFolders();
    void saveExpandedFolders();
    void activate(const QModelIndex &index);
    void showContextMenu(const QPoint &position);
    void scrollToSelection();
    void updateHeaderTint();
    FileRowView makeRow(const NoteFile &note) const;

    void select(const QUrl &note);
    void beginRename(const NoteFile &note);
    void reveal(const NoteFile &note);
    void move(const NoteFile &note, const std::optional<QString> &folder);
    void remove(const NoteFile &note);
    // The note at `from` now lives at `to`: whoever holds it and the selection follow.
    void followMove(const QUrl &from, const QUrl &to);

    NotesEnvironment &m_environment;
    const Clock &m_clock;
    const Log m_log;
    QSet<QString> m_expandedFolders;
    std::optional<NoteFile> m_renamingFile;
    QWidget *m_header;
    QPushButton *m_newButton;
    QListView *m_listView;
    Model *m_model;
    QPointer<QDialog> m_renameDialog;
    QLineEdit *m_renameField = nullptr;
};
