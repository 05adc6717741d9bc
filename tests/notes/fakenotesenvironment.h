#pragma once

#include "notes/notesenvironment.h"
#include "notes/notesmanager.h"
#include "platform/defaults.h"
#include "platform/fake/fakefileeventstream.h"
#include "platform/fake/fakefolderchooser.h"
#include "platform/fake/fakeworkspace.h"

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// The panel's shared state as the notes views see it, kept in plain fields, over
// a real notes manager and settings file in a temporary folder.
class FakeNotesEnvironment final : public NotesEnvironment
{
public:
    FakeNotesEnvironment(const QString &settingsFile, const Clock &clock)
        : m_defaults(settingsFile)
        , m_manager(m_events, clock)
    { }

    NotesManager &notesManager() const override { return m_manager; }
    Defaults &defaults() const override { return m_defaults; }
    Workspace &workspace() const override { return m_workspace; }
    FolderChooser &folderChooser() const override { return m_chooser; }
    FakeWorkspace &fakeWorkspace() { return m_workspace; }
    FakeFolderChooser &fakeChooser() { return m_chooser; }

    QString searchQuery() const override { return m_query; }
    void setSearchQuery(const QString &query)
    {
        m_query = query;
        Q_EMIT searchQueryChanged();
    }
    bool isNotesPaneFocused() const override { return m_notesFocused; }
    void setNotesPaneFocused(bool focused)
    {
        m_notesFocused = focused;
        Q_EMIT focusChanged();
    }
    std::optional<QUrl> selectedNoteURL() const override { return m_selected; }
    void setSelectedNoteURL(const std::optional<QUrl> &url) override
    {
        if (m_selected == url)
            return;
        m_selected = url;
        Q_EMIT selectedNoteURLChanged();
    }
    bool isEditing() const override { return m_editing; }
    void setEditing(bool editing) override
    {
        if (m_editing == editing)
            return;
        m_editing = editing;
        Q_EMIT editingChanged();
    }
    bool isPanelVisible() const override { return m_panelVisible; }
    void setPanelVisible(bool visible)
    {
        m_panelVisible = visible;
        Q_EMIT panelVisibleChanged(visible);
    }
    double autoSaveDelay() const override { return m_autoSaveDelay; }
    void setAutoSaveDelay(double seconds)
    {
        m_autoSaveDelay = seconds;
        Q_EMIT autoSaveDelayChanged();
    }

    void setNoteEditorFlush(std::function<void()> flush) override { noteEditorFlush = std::move(flush); }
    void createNewNote(const QUrl &folder) override
    {
        newNoteFolders.append(folder);
        const auto created = m_manager.createNote(folder);
        if (!created)
            return;
        setSelectedNoteURL(created.value());
        setEditing(true);
    }
    void changeVault(const QUrl &folder) override
    {
        steps.append(QStringLiteral("changeVault"));
        changedVaults.append(folder);
    }
    void dismissPanel() override { steps.append(QStringLiteral("dismiss")); }
    void copyToPasteboard(const QString &text) override { copied.append(text); }

    std::function<void()> noteEditorFlush;
    QList<QUrl> newNoteFolders;
    QList<QUrl> changedVaults;
    QStringList steps; // the shell's actions, in order
    QStringList copied;

private:
    mutable Defaults m_defaults;
    FakeFileEventStream m_events;
    mutable NotesManager m_manager;
    mutable FakeWorkspace m_workspace;
    mutable FakeFolderChooser m_chooser;
    QString m_query;
    bool m_notesFocused = false;
    std::optional<QUrl> m_selected;
    bool m_editing = false;
    bool m_panelVisible = true;
    double m_autoSaveDelay = 1.0;
};
