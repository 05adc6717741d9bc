#include "notes/notespaneview.h"

#include "notes/bookmarkmanager.h"
#include "notes/debouncer.h"
#include "notes/noteeditorview.h"
#include "notes/notesenvironment.h"
#include "notes/notesfilelistview.h"
#include "notes/notesmanager.h"
#include "notes/plainnotepreviewview.h"
#include "notes/vaultonboardingview.h"
#include "platform/defaults.h"
#include "platform/fileoperations.h"
#include "platform/qt/derivedpalette.h"
#include "platform/qt/elidedlabel.h"
#include "platform/symbolicon.h"
#include "platform/workspace.h"

#include "ui/panelstyle.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int listWidth = 160;
constexpr std::chrono::milliseconds defaultSaveDelay { 1000 };
const QKeySequence toggleKeys(Qt::CTRL | Qt::Key_E);

void setTextOpacity(QWidget &widget, qreal opacity)
{
    derivePalette(widget, [opacity](QPalette &palette) {
        QColor color = palette.color(QPalette::WindowText);
        color.setAlphaF(opacity);
        palette.setColor(QPalette::WindowText, color);
        palette.setColor(QPalette::ButtonText, color);
        // A control that can't act now reads fainter, not like one that can.
        color.setAlphaF(opacity / 2);
        palette.setColor(QPalette::Disabled, QPalette::WindowText, color);
        palette.setColor(QPalette::Disabled, QPalette::ButtonText, color);
    });
}

QFrame *divider(QFrame::Shape shape, qreal opacity, QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Plain);
    auto *faint = new QGraphicsOpacityEffect(line);
    faint->setOpacity(opacity);
    line->setGraphicsEffect(faint);
    return line;
}

std::chrono::milliseconds saveDelayFor(double seconds)
{
    // A broken setting must not make every keystroke a write, nor saves never happen.
    if (!std::isfinite(seconds) || seconds <= 0 || seconds > 3600)
        return defaultSaveDelay;
    return std::chrono::milliseconds(std::lround(seconds * 1000));
}

QString nameOf(const QUrl &note)
{
    const QString file = note.fileName();
    const qsizetype dot = file.lastIndexOf(u'.');
    return dot > 0 ? file.left(dot) : file;
}

} // namespace

NotesPaneView::NotesPaneView(
    NotesEnvironment &environment, NotePreviewFactory previewFactory, QWidget *parent)
    : QWidget(parent)
    , m_environment(environment)
    , m_previewFactory(
          previewFactory ? std::move(previewFactory) : NotePreviewFactory(&PlainNotePreviewView::make))
    , m_log("NotesPaneView")
    , m_saveDebouncer(std::make_unique<Debouncer>(defaultSaveDelay))
{
    setObjectName(QStringLiteral("NotesPaneView"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    // Above everything the pane shows: text kept outside the vault is found nowhere else.
    m_recoveryBanner = makeBanner(QStringLiteral("recoveryBanner"), QColor(0, 122, 255), m_recoveryMessage,
        QStringLiteral("Show"), &NotesPaneView::showRecoveredNotes, QStringLiteral("Dismiss"),
        &NotesPaneView::dismissRecoveredNotes);
    outer->addWidget(m_recoveryBanner);
    m_stack = new QStackedWidget(this);
    outer->addWidget(m_stack, 1);

    m_onboarding = new VaultOnboardingView(m_environment, m_stack);
    m_stack->addWidget(m_onboarding);

    auto *notes = new QWidget(m_stack);
    auto *row = new QHBoxLayout(notes);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_fileList = new NotesFileListView(m_environment, notes);
    m_fileList->setFixedWidth(listWidth);
    m_fileList->onWillChangeNote = [this](const QUrl &note) {
        // The program's own rename, move or Trash of the open note: its text goes first.
        if (m_currentFile && m_currentFile->url == note)
            flushPendingSave();
    };
    m_fileList->onNoteMoved = [this](const QUrl &from, const QUrl &to) { onNoteMoved(from, to); };
    row->addWidget(m_fileList);
    row->addWidget(divider(QFrame::VLine, 0.3, notes));
    m_detailStack = new QStackedWidget(notes);
    auto *placeholder = new QLabel(QStringLiteral("Select a note"), m_detailStack);
    placeholder->setObjectName(QStringLiteral("selectANote"));
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setFont(PanelStyle::font(12));
    setTextOpacity(*placeholder, PanelStyle::tertiaryAlpha);
    m_placeholder = placeholder;
    m_detailStack->addWidget(m_placeholder);
    m_detail = makeDetail();
    m_detailStack->addWidget(m_detail);
    row->addWidget(m_detailStack, 1);
    m_stack->addWidget(notes);

    auto *toggle = new QShortcut(toggleKeys, this, this, &NotesPaneView::toggleEditing, Qt::WindowShortcut);
    toggle->setObjectName(QStringLiteral("toggleEditingShortcut"));
    // The toggle's shortcut works wherever the keyboard is in the panel, also
    // in text fields that are not the pane's own (the search field).
    qApp->installEventFilter(this);

    NotesManager &manager = m_environment.notesManager();
    connect(&manager, &NotesManager::allFilesChanged, this, &NotesPaneView::onFilesChanged);
    connect(&m_environment.defaults(), &Defaults::changed, this, [this](const QString &key) {
        if (key == BookmarkManager::userDefaultsKey())
            updateLayout();
    });
    connect(&m_environment, &NotesEnvironment::selectedNoteURLChanged, this,
        &NotesPaneView::onSelectedNoteChanged);
    connect(&m_environment, &NotesEnvironment::editingChanged, this, &NotesPaneView::onEditingChanged);
    connect(&m_environment, &NotesEnvironment::panelVisibleChanged, this, [this](bool visible) {
        // Shown: someone may have changed the note meanwhile. Hidden: the text goes to disk.
        if (visible)
            refreshFileStatus();
        else
            flushPendingSave();
    });
    connect(
        &m_environment, &NotesEnvironment::autoSaveDelayChanged, this, &NotesPaneView::applyAutoSaveDelay);
    connect(&m_environment, &NotesEnvironment::focusChanged, this, [this] {
        // The focus cycle landing on the pane puts the keyboard into the note being edited.
        if (m_environment.isNotesPaneFocused() && m_detailStack->currentWidget() == m_detail
            && m_body->currentWidget() == m_editor)
            m_editor->setFocus(Qt::TabFocusReason);
    });

    applyAutoSaveDelay();
    updateLayout();
    updateRecoveryBanner();
    if (!recoveryBannerText().isEmpty())
        m_log.info(QStringLiteral("Recovered note text is waiting in %1")
                       .arg(QDir::toNativeSeparators(m_environment.notesManager().recoveryFolder())));
    // A note already selected (the pane made after a selection) opens at once.
    if (const auto selected = m_environment.selectedNoteURL()) {
        if (const auto note = findNote(*selected))
            loadNote(*note);
    }
    updateDetail();
}

NotesPaneView::~NotesPaneView()
{
    qApp->removeEventFilter(this);
    // Shutdown has flushed already; a late deadline must find nothing to run.
    m_saveDebouncer->cancel();
    m_environment.setNoteEditorFlush({});
}

QWidget *NotesPaneView::makeDetail()
{
    auto *detail = new QWidget(m_detailStack);
    detail->setObjectName(QStringLiteral("noteDetail"));
    auto *column = new QVBoxLayout(detail);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *header = new QWidget(detail);
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(12, 8, 12, 8);
    m_titleStack = new QStackedWidget(header);
    // A long name is shortened, never widening the pane beside the clipboard's.
    m_titleLabel = new ElidedLabel(Qt::ElideRight, m_titleStack);
    m_titleLabel->setObjectName(QStringLiteral("noteTitle"));
    m_titleLabel->setFont(PanelStyle::font(13, QFont::DemiBold));
    m_titleField = new QLineEdit(m_titleStack);
    m_titleField->setObjectName(QStringLiteral("noteTitleField"));
    m_titleField->setPlaceholderText(QStringLiteral("Note name"));
    m_titleField->setFont(PanelStyle::font(13, QFont::DemiBold));
    m_titleField->setFrame(false);
    m_titleField->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    followLook(*m_titleField);
    connect(m_titleField, &QLineEdit::returnPressed, this, &NotesPaneView::commitRename);
    m_titleStack->addWidget(m_titleLabel);
    m_titleStack->addWidget(m_titleField);
    m_titleStack->setFixedHeight(m_titleField->sizeHint().height());
    headerRow->addWidget(m_titleStack, 1);

    m_copyButton = new QPushButton(header);
    m_copyButton->setObjectName(QStringLiteral("copyNoteButton"));
    m_copyButton->setFlat(true);
    m_copyButton->setFixedSize(24, 24);
    m_copyButton->setFocusPolicy(Qt::NoFocus);
    m_copyButton->setToolTip(QStringLiteral("Copy note contents"));
    updateCopyIcon();
    m_copyButton->setIconSize(QSize(12, 12));
    connect(m_copyButton, &QPushButton::clicked, this, &NotesPaneView::copyNoteContents);
    headerRow->addWidget(m_copyButton);

    m_toggleButton = new QPushButton(header);
    m_toggleButton->setObjectName(QStringLiteral("toggleEditingButton"));
    m_toggleButton->setFocusPolicy(Qt::NoFocus);
    m_toggleButton->setFont(PanelStyle::font(10));
    m_toggleButton->setToolTip(toggleKeys.toString(QKeySequence::NativeText));
    m_toggleButton->setStyleSheet(
        QStringLiteral("QPushButton { padding: 3px 8px; border: none; border-radius: 4px;"
                       " background: rgba(127, 127, 127, 0.15); }"));
    setTextOpacity(*m_toggleButton, PanelStyle::secondaryAlpha);
    connect(m_toggleButton, &QPushButton::clicked, this, &NotesPaneView::toggleEditing);
    headerRow->addWidget(m_toggleButton);
    column->addWidget(header);
    column->addWidget(divider(QFrame::HLine, 0.2, detail));

    m_deletedBanner = makeBanner(QStringLiteral("deletedBanner"), Qt::red, m_deletedMessage,
        QStringLiteral("Save as New"), &NotesPaneView::saveAsNew, QStringLiteral("Close"),
        &NotesPaneView::closeNote);
    m_deletedMessage->setText(QStringLiteral("This file no longer exists."));
    m_modifiedBanner = makeBanner(QStringLiteral("modifiedBanner"), Qt::yellow, m_modifiedMessage,
        QStringLiteral("Reload"), &NotesPaneView::reloadNote, QStringLiteral("Ignore"),
        &NotesPaneView::ignoreExternalChange);
    m_modifiedMessage->setText(QStringLiteral("This file was modified externally."));
    m_problemBanner = makeBanner(QStringLiteral("problemBanner"), QColor(255, 128, 0), m_problemMessage,
        QString(), nullptr, QString(), nullptr);
    m_noticeBanner = makeBanner(QStringLiteral("noticeBanner"), QColor(0, 122, 255), m_noticeMessage,
        QString(), nullptr, QString(), nullptr);
    for (QWidget *banner : { m_deletedBanner, m_modifiedBanner, m_problemBanner, m_noticeBanner })
        column->addWidget(banner);

    m_body = new QStackedWidget(detail);
    m_editor = new NoteEditorView(m_body);
    m_editor->setDebouncer(m_saveDebouncer.get());
    QPointer<NotesPaneView> self(this);
    m_editor->onSave = [self](const QString &text) {
        if (self && self->m_currentFile)
            self->writeNote(text);
    };
    connect(m_editor, &NoteEditorView::edited, this, [this] { m_noteContent = m_editor->text(); });
    m_body->addWidget(m_editor);
    m_body->addWidget(makeLargeNoteView());
    column->addWidget(m_body, 1);
    return detail;
}

QWidget *NotesPaneView::makeBanner(const QString &name, const QColor &tint, QLabel *&message,
    const QString &firstButton, void (NotesPaneView::*first)(), const QString &secondButton,
    void (NotesPaneView::*second)())
{
    auto *banner = new QFrame(this);
    banner->setObjectName(name);
    banner->setStyleSheet(QStringLiteral("QFrame#%1 { background: rgba(%2, %3, %4, 0.1); }")
                              .arg(name)
                              .arg(tint.red())
                              .arg(tint.green())
                              .arg(tint.blue()));
    auto *row = new QHBoxLayout(banner);
    row->setContentsMargins(12, 6, 12, 6);
    message = new QLabel(banner);
    message->setFont(PanelStyle::font(11));
    message->setWordWrap(true);
    row->addWidget(message, 1);
    const auto addButton = [&](const QString &title, void (NotesPaneView::*action)()) {
        if (!action)
            return;
        auto *button = new QPushButton(title, banner);
        button->setFont(PanelStyle::font(11));
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, action);
        row->addWidget(button);
    };
    addButton(firstButton, first);
    addButton(secondButton, second);
    banner->hide();
    return banner;
}

void NotesPaneView::updateCopyIcon()
{
    QColor secondary = palette().color(QPalette::WindowText);
    secondary.setAlphaF(0.6);
    m_copyButton->setIcon(symbolIcon(Symbol::Copy, secondary));
}

void NotesPaneView::changeEvent(QEvent *event)
{
    // The icon is drawn in the text colour of the look at the time.
    if (event->type() == QEvent::PaletteChange && m_copyButton)
        updateCopyIcon();
    QWidget::changeEvent(event);
}

bool NotesPaneView::eventFilter(QObject *watched, QEvent *event)
{
    // Text widgets take Ctrl+E for "end of line": while a note is shown it is
    // the toggle's, wherever the keyboard is in this window.
    if (event->type() != QEvent::ShortcutOverride
        || static_cast<QKeyEvent *>(event)->keyCombination() != toggleKeys[0])
        return false;
    const auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != window() || !isShowingNote())
        return false;
    event->ignore();
    return true;
}

bool NotesPaneView::isShowingNote() const
{
    return isVisible() && !isShowingOnboarding() && m_detailStack->currentWidget() == m_detail;
}

bool NotesPaneView::isShowingOnboarding() const
{
    return m_stack->currentWidget() == m_onboarding;
}

bool NotesPaneView::hasUnsavedChanges() const
{
    return m_noteContent != m_loadedNoteContent;
}

QStringList NotesPaneView::bannerTexts() const
{
    QStringList texts;
    if (m_fileDeletedDetected)
        texts.append(m_deletedMessage->text());
    if (m_externalChangeDetected)
        texts.append(m_modifiedMessage->text());
    for (const QLabel *message : { m_problemMessage, m_noticeMessage }) {
        if (!message->text().isEmpty())
            texts.append(message->text());
    }
    return texts;
}

void NotesPaneView::updateLayout()
{
    // Any bookmark stored, valid or not, means the user chose a vault once.
    const bool onboarding = m_environment.notesManager().allFiles().isEmpty()
        && !m_environment.defaults().data(BookmarkManager::userDefaultsKey());
    m_stack->setCurrentWidget(onboarding ? static_cast<QWidget *>(m_onboarding) : m_stack->widget(1));
}

void NotesPaneView::updateDetail()
{
    if (!m_currentFile) {
        m_detailStack->setCurrentWidget(m_placeholder);
        m_environment.setNoteEditorFlush({});
        delete m_preview;
        return;
    }
    const bool editorWasShown
        = m_detailStack->currentWidget() == m_detail && m_body->currentWidget() == m_editor;
    m_detailStack->setCurrentWidget(m_detail);
    // While a note is open, shutdown writes what it holds unsaved: also text
    // kept after a failed save while the preview is shown.
    QPointer<NotesPaneView> self(this);
    m_environment.setNoteEditorFlush([self] {
        if (self)
            self->flushBeforeQuitting();
    });

    const bool editing = m_environment.isEditing() && !m_loadError;
    const bool tooLarge = m_tooLargeBytes.has_value();
    m_titleLabel->setText(m_currentFile->name);
    m_titleStack->setCurrentWidget(editing ? static_cast<QWidget *>(m_titleField) : m_titleLabel);
    m_toggleButton->setText(editing ? QStringLiteral("Preview") : QStringLiteral("Edit"));
    m_toggleButton->setEnabled(editing || !m_loadError);
    m_copyButton->setEnabled(!tooLarge);

    m_deletedBanner->setVisible(m_fileDeletedDetected);
    m_modifiedBanner->setVisible(m_externalChangeDetected);
    QString problem;
    if (m_loadError && !tooLarge) // a note too large to open says so in its place
        problem = QStringLiteral("This note can’t be edited: %1").arg(*m_loadError);
    else if (m_saveFailed)
        problem = QStringLiteral("Couldn't save this note");
    m_problemMessage->setText(problem);
    m_problemBanner->setVisible(!problem.isEmpty());
    m_noticeMessage->setText(m_notice);
    m_noticeBanner->setVisible(!m_notice.isEmpty());

    if (tooLarge) {
        // Nothing of the note is read, so there is nothing to preview.
        delete m_preview;
        m_largeNoteLabel->setText(QStringLiteral("%1 · %2").arg(m_currentFile->name,
            QLocale().formattedDataSize(*m_tooLargeBytes, 1, QLocale::DataSizeTraditionalFormat)));
        m_body->setCurrentWidget(m_largeNote);
        return;
    }

    if (editing) {
        // A new preview, with an empty memo, each time it comes back.
        delete m_preview;
        syncEditorText();
        m_body->setCurrentWidget(m_editor);
        // A new note, or "Edit": what the user types next goes into the note.
        if (!editorWasShown)
            m_editor->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!m_preview) {
        m_preview = m_previewFactory(m_environment.notesManager(), m_body);
        m_preview->onNavigateToNote = [self](const QUrl &note) {
            if (self)
                self->m_environment.setSelectedNoteURL(note);
        };
        m_preview->onOpenExternally = [self] {
            if (self)
                self->openExternally();
        };
        m_body->addWidget(m_preview);
    }
    m_preview->setNote(m_noteContent, m_currentFile->url);
    m_body->setCurrentWidget(m_preview);
}

void NotesPaneView::applyAutoSaveDelay()
{
    // The old debouncer's pending save goes first: older text must never land
    // after newer text.
    if (m_saveDebouncer->isPending())
        flushPendingSave();
    const std::chrono::milliseconds delay = saveDelayFor(m_environment.autoSaveDelay());
    if (delay == m_saveDebouncer->delay())
        return;
    m_saveDebouncer = std::make_unique<Debouncer>(delay);
    m_editor->setDebouncer(m_saveDebouncer.get());
}

std::optional<NoteFile> NotesPaneView::findNote(const QUrl &url) const
{
    for (const NoteFile &note : m_environment.notesManager().allFiles()) {
        if (note.url == url)
            return note;
    }
    return std::nullopt;
}

void NotesPaneView::loadNote(const NoteFile &note)
{
    // The working copy is replaced: a save still pending would write the old one.
    m_saveDebouncer->cancel();
    const bool reloadInEditor = m_currentFile && m_currentFile->url == note.url && isEditorOnScreen();
    m_currentFile = note;
    NotesManager &manager = m_environment.notesManager();
    const auto text = manager.readNote(note.url);
    m_tooLargeBytes.reset();
    if (text) {
        manager.recordLoadedModDate(note.url);
        m_noteContent = text.value();
        m_loadError.reset();
    } else {
        // Shown read-only and never saved, so its bytes stay as they are.
        m_noteContent.clear();
        m_loadError = text.error().description;
        if (text.error().kind == NoteError::Kind::TooLarge)
            m_tooLargeBytes = QFileInfo(note.url.toLocalFile()).size();
        m_log.error(
            QStringLiteral("Failed to load note %1: %2").arg(note.url.fileName(), text.error().description));
    }
    m_notice.clear();
    m_loadedNoteContent = m_noteContent;
    m_diskText = m_noteContent;
    m_externalChangeDetected = false;
    m_fileDeletedDetected = false;
    m_saveFailed = false;
    m_editorTextStale = true;
    // The editor saves what a reload put into it, as it saves what the user typed.
    if (reloadInEditor && !m_loadError) {
        syncEditorText();
        m_editor->armSave();
    }
    m_titleField->setText(note.name);
    if (m_loadError && m_environment.isEditing())
        m_environment.setEditing(false);
    updateDetail();
}

void NotesPaneView::clearNote()
{
    m_saveDebouncer->cancel();
    m_currentFile.reset();
    m_noteContent.clear();
    m_loadedNoteContent.clear();
    m_diskText.clear();
    m_externalChangeDetected = false;
    m_fileDeletedDetected = false;
    m_saveFailed = false;
    m_loadError.reset();
    m_tooLargeBytes.reset();
    m_notice.clear();
    m_editorTextStale = true;
}

void NotesPaneView::syncEditorText()
{
    if (!m_editorTextStale)
        return;
    m_editorTextStale = false;
    m_editor->setText(m_noteContent);
}

void NotesPaneView::onSelectedNoteChanged()
{
    const std::optional<QUrl> selected = m_environment.selectedNoteURL();
    if (m_currentFile && selected == m_currentFile->url) {
        updateDetail();
        return;
    }
    const bool wasShown = m_currentFile.has_value();
    QString keptNotice;
    if (wasShown && !flushPendingSave()) {
        // Unsaved text is never dropped by a switch: what the note can't take
        // goes to a new note, and where none can be written the note stays,
        // its banner saying what keeps it from being written.
        const QString left = m_currentFile->name;
        const std::optional<SavedAsNew> kept = keepUnsavedText();
        if (!kept) {
            m_log.error(QStringLiteral("Kept note %1 open: its text could not be saved")
                            .arg(m_currentFile->url.fileName()));
            m_environment.setSelectedNoteURL(m_currentFile->url);
            return;
        }
        keptNotice = QStringLiteral("The unsaved text of “%1” could not be written to it. %2")
                         .arg(left, whereKept(*kept));
    }
    if (wasShown)
        m_environment.setEditing(false);
    if (!selected) {
        clearNote();
    } else if (const auto note = findNote(*selected)) {
        loadNote(*note);
    } // a note not listed (yet) leaves the pane as it was
    // Said on whatever comes on screen: the text was not lost, and here is where it is.
    if (!keptNotice.isEmpty())
        m_notice = keptNotice;
    updateDetail();
}

void NotesPaneView::onFilesChanged()
{
    updateLayout();
    const std::optional<QUrl> selected = m_environment.selectedNoteURL();
    if (!selected)
        return;
    if (const auto note = findNote(*selected)) {
        if (!m_currentFile)
            loadNote(*note); // the detail area comes on screen
        else if (note->url == m_currentFile->url)
            m_currentFile = *note; // its name and date follow the rescan
    }
    refreshFileStatus();
}

void NotesPaneView::onEditingChanged()
{
    if (m_environment.isEditing() && m_loadError) {
        m_environment.setEditing(false);
        return;
    }
    if (m_currentFile)
        m_titleField->setText(m_currentFile->name);
    updateDetail();
}

void NotesPaneView::onNoteMoved(const QUrl &from, const QUrl &to)
{
    if (m_currentFile && m_currentFile->url == from)
        retarget(to);
}

void NotesPaneView::retarget(const QUrl &to)
{
    // The same note under another name: the working copy and its state go with it.
    const std::optional<NoteFile> listed = findNote(to);
    m_currentFile = listed
        ? *listed
        : NoteFile { to, nameOf(to), to, m_currentFile->folder, m_currentFile->modifiedDate };
    m_environment.notesManager().recordLoadedModDate(to);
    m_fileDeletedDetected = false;
    m_titleField->setText(m_currentFile->name);
    // Another URL is another selection, and a change of selection leaves edit mode.
    m_environment.setEditing(false);
    updateDetail();
}

NotesPaneView::DiskState NotesPaneView::diskState()
{
    NotesManager &manager = m_environment.notesManager();
    const QUrl url = m_currentFile->url;
    const std::optional<NoteFileStatus> status = manager.checkFileStatus(url);
    if (status == NoteFileStatus::Deleted || !FileOperations::existsAt(url.toLocalFile()))
        return DiskState::Deleted;
    // The dates miss a change made within moments of the program's own write,
    // and a date alone can't say what changed: the text decides.
    const auto text = manager.readNote(url);
    if (!text || text.value() != m_diskText)
        return DiskState::Modified;
    if (status == NoteFileStatus::ModifiedExternally)
        manager.recordLoadedModDate(url); // a new date on the same text
    return DiskState::Unchanged;
}

bool NotesPaneView::writeNote(const QString &text)
{
    if (!m_currentFile || m_loadError)
        return false;
    switch (diskState()) {
    case DiskState::Deleted:
        m_fileDeletedDetected = true;
        updateDetail();
        return false;
    case DiskState::Modified:
        m_externalChangeDetected = true;
        updateDetail();
        return false;
    case DiskState::Unchanged:
        break;
    }
    const auto saved = m_environment.notesManager().save(text, m_currentFile->url);
    if (!saved) {
        if (!m_saveFailed)
            m_log.error(QStringLiteral("Failed to save note %1: %2")
                            .arg(m_currentFile->url.fileName(), saved.error().description));
        m_saveFailed = true;
        updateDetail();
        return false;
    }
    m_loadedNoteContent = text;
    m_diskText = text;
    if (m_saveFailed) {
        m_saveFailed = false;
        updateDetail();
    }
    return true;
}

bool NotesPaneView::flushPendingSave()
{
    m_saveDebouncer->flush();
    // A save that failed earlier, or one the banners held back, is tried again.
    if (m_currentFile && !m_loadError && hasUnsavedChanges())
        writeNote(m_noteContent);
    return !m_currentFile || m_loadError || !hasUnsavedChanges();
}

void NotesPaneView::flushBeforeQuitting()
{
    // The note can't take the text (gone, changed by someone else, or refusing
    // the write), and after quitting nobody holds it: it goes to a new note, so
    // neither the typing nor the other change is lost.
    if (!flushPendingSave() && hasUnsavedChanges())
        keepUnsavedText();
}

std::optional<SavedAsNew> NotesPaneView::keepUnsavedText()
{
    const QUrl note = m_currentFile->url;
    const auto kept = m_environment.notesManager().saveAsNew(m_noteContent, note);
    if (!kept) {
        m_log.error(QStringLiteral("Could not keep the unsaved text of %1: %2")
                        .arg(note.fileName(), kept.error().description));
        return std::nullopt;
    }
    m_log.info(QStringLiteral("Kept the unsaved text of %1 as %2")
                   .arg(note.fileName(), QDir::toNativeSeparators(kept.value().url.toLocalFile())));
    if (kept.value().place == KeptPlace::RecoveryFolder) {
        m_recoveryDismissed = false;
        updateRecoveryBanner();
    }
    return kept.value();
}

QString NotesPaneView::whereKept(const SavedAsNew &kept) const
{
    const QString path = kept.url.toLocalFile();
    const QString inVault
        = QDir(m_environment.notesManager().vaultURL().toLocalFile()).relativeFilePath(path);
    switch (kept.place) {
    case KeptPlace::NoteFolder:
        return QStringLiteral("It was saved as “%1”.").arg(inVault);
    case KeptPlace::RecreatedFolder:
        return QStringLiteral("Its folder was gone and has been made again: it was saved as “%1”.")
            .arg(inVault);
    case KeptPlace::VaultRoot:
        return QStringLiteral("Its folder is gone: it was saved as “%1” at the top of the vault.")
            .arg(inVault);
    case KeptPlace::RecoveryFolder:
        break;
    }
    return QStringLiteral("The vault can’t take it: it was saved as “%1”.")
        .arg(QDir::toNativeSeparators(path));
}

bool NotesPaneView::isEditorOnScreen() const
{
    return m_environment.isEditing() && m_detailStack->currentWidget() == m_detail
        && m_body->currentWidget() == m_editor;
}

void NotesPaneView::openExternally()
{
    if (m_currentFile)
        m_environment.workspace().open(m_currentFile->url);
}

QWidget *NotesPaneView::makeLargeNoteView()
{
    m_largeNote = new QWidget(m_body);
    m_largeNote->setObjectName(QStringLiteral("largeNote"));
    auto *column = new QVBoxLayout(m_largeNote);
    column->addStretch(1);
    m_largeNoteLabel = new QLabel(m_largeNote);
    m_largeNoteLabel->setFont(PanelStyle::font(13, QFont::DemiBold));
    m_largeNoteLabel->setAlignment(Qt::AlignCenter);
    m_largeNoteLabel->setWordWrap(true);
    column->addWidget(m_largeNoteLabel);
    auto *explanation = new QLabel(QStringLiteral("This note is too large to show here."), m_largeNote);
    explanation->setFont(PanelStyle::font(11));
    explanation->setAlignment(Qt::AlignCenter);
    setTextOpacity(*explanation, 0.6);
    column->addWidget(explanation);
    auto *open = new QPushButton(QStringLiteral("Open Externally"), m_largeNote);
    open->setObjectName(QStringLiteral("openExternallyButton"));
    open->setFont(PanelStyle::font(11));
    open->setFocusPolicy(Qt::NoFocus);
    connect(open, &QPushButton::clicked, this, &NotesPaneView::openExternally);
    column->addWidget(open, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return m_largeNote;
}

void NotesPaneView::updateRecoveryBanner()
{
    NotesManager &manager = m_environment.notesManager();
    const bool waiting = !m_recoveryDismissed && !manager.recoveredNotes().isEmpty();
    if (waiting)
        m_recoveryMessage->setText(QStringLiteral("Recovered note text is waiting in “%1”.")
                                       .arg(QDir::toNativeSeparators(manager.recoveryFolder())));
    m_recoveryBanner->setVisible(waiting);
}

QString NotesPaneView::recoveryBannerText() const
{
    return m_recoveryBanner->isVisibleTo(this) ? m_recoveryMessage->text() : QString();
}

void NotesPaneView::showRecoveredNotes()
{
    m_environment.workspace().open(QUrl::fromLocalFile(m_environment.notesManager().recoveryFolder()));
}

void NotesPaneView::dismissRecoveredNotes()
{
    m_recoveryDismissed = true;
    updateRecoveryBanner();
}

void NotesPaneView::refreshFileStatus()
{
    if (!m_currentFile)
        return;
    if (m_loadError) {
        // Read again: the file may have been mended, or be gone now.
        if (FileOperations::existsAt(m_currentFile->url.toLocalFile()))
            loadNote(*m_currentFile);
        else
            m_fileDeletedDetected = true;
        updateDetail();
        return;
    }
    switch (diskState()) {
    case DiskState::Deleted:
        m_fileDeletedDetected = true;
        break;
    case DiskState::Modified:
        // Unsaved text is never replaced silently: the user decides.
        if (hasUnsavedChanges())
            m_externalChangeDetected = true;
        else
            loadNote(*m_currentFile);
        break;
    case DiskState::Unchanged:
        break;
    }
    updateDetail();
}

void NotesPaneView::toggleEditing()
{
    if (!m_currentFile)
        return;
    if (m_environment.isEditing()) {
        flushPendingSave();
        m_environment.setEditing(false);
        return;
    }
    if (m_loadError)
        return;
    // Editing starts from the text on disk, unless the working copy holds text
    // not written yet, or the file is gone and the working copy is all there is.
    if (!hasUnsavedChanges() && FileOperations::existsAt(m_currentFile->url.toLocalFile()))
        loadNote(*m_currentFile);
    if (m_loadError)
        return;
    m_titleField->setText(m_currentFile->name);
    m_environment.setEditing(true);
}

void NotesPaneView::commitRename()
{
    if (!m_currentFile)
        return;
    const QString title = m_titleField->text();
    if (title.isEmpty() || title == m_currentFile->name)
        return;
    flushPendingSave();
    const QUrl from = m_currentFile->url;
    const auto renamed = m_environment.notesManager().renameNote(from, title);
    if (!renamed) {
        // The field keeps the typed text; the note keeps its name.
        m_log.error(
            QStringLiteral("Failed to rename note %1: %2").arg(from.fileName(), renamed.error().description));
        return;
    }
    retarget(renamed.value());
    m_environment.setSelectedNoteURL(renamed.value());
}

void NotesPaneView::copyNoteContents()
{
    m_environment.copyToPasteboard(m_noteContent);
}

void NotesPaneView::saveAsNew()
{
    if (!m_currentFile)
        return;
    // A save still pending aims at the vanished file: the new note takes the text.
    m_saveDebouncer->cancel();
    const std::optional<SavedAsNew> kept = keepUnsavedText();
    if (!kept) {
        // Nothing was written anywhere: the banner stays, and says so.
        m_saveFailed = true;
        updateDetail();
        return;
    }
    m_loadedNoteContent = m_noteContent;
    m_diskText = m_noteContent;
    m_saveFailed = false;
    m_notice = whereKept(*kept);
    retarget(kept->url);
    m_environment.setSelectedNoteURL(kept->url);
}

void NotesPaneView::closeNote()
{
    clearNote();
    m_environment.setSelectedNoteURL(std::nullopt);
    updateDetail();
}

void NotesPaneView::reloadNote()
{
    if (m_currentFile)
        loadNote(*m_currentFile);
}

void NotesPaneView::ignoreExternalChange()
{
    if (!m_currentFile)
        return;
    NotesManager &manager = m_environment.notesManager();
    // This version counts as seen: the next save writes the working copy over it.
    if (const auto text = manager.readNote(m_currentFile->url))
        m_diskText = text.value();
    manager.recordLoadedModDate(m_currentFile->url);
    m_externalChangeDetected = false;
    updateDetail();
}
