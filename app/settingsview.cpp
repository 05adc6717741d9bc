#include "app/settingsview.h"

#include "app/appearance.h"
#include "app/appicon.h"
#include "app/appstate.h"
#include "app/product.h"
#include "clipboard/clipboardmanager.h"
#include "notes/notesmanager.h"
#include "platform/alertpresenter.h"
#include "platform/defaults.h"
#include "platform/folderchooser.h"
#include "platform/log.h"
#include "platform/loginitem.h"
#include "platform/qt/derivedpalette.h"
#include "platform/qt/elidedlabel.h"
#include "platform/symbolicon.h"
#include "platform/updater.h"
#include "platform/workspace.h"
#include "shortcuts/recorder.h"
#include "ui/panelstyle.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSysInfo>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>
#include <cmath>
#include <optional>
#include <type_traits>
#include <utility>

namespace {

const Log &log()
{
    static const Log instance("SettingsView");
    return instance;
}

constexpr int historyStep = 50;
constexpr double autoSaveStep = 0.5;

const QString noFolderSelected = QStringLiteral("No folder selected");

// The form's quieter texts: the window text at part strength.
enum class Emphasis { Secondary, Tertiary };

QLabel *makeLabel(const QString &text, int pixelSize, Emphasis emphasis, QWidget *parent = nullptr)
{
    auto *label = new QLabel(text, parent);
    label->setFont(PanelStyle::font(pixelSize));
    label->setWordWrap(true);
    if (emphasis == Emphasis::Tertiary)
        PanelStyle::setTextTone(*label, PanelStyle::tertiary);
    else
        label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

// A spin box whose number can also be typed: any number is let through while typing,
// and what was typed becomes one of the box's values when the edit ends (a plain spin
// box refuses a keystroke that would leave the range, so 5000 could never be typed to
// end up at the maximum). A box of whole numbers brings it into the range; a box of
// fractions takes the nearest step within it, a value the arrows could have reached.
template<class Base> class TypableSpinBox final : public Base
{
public:
    using Base::Base;

private:
    using Value = decltype(std::declval<Base>().value());
    static constexpr bool whole = std::is_integral_v<Value>;
    // Wider than a value, so that a number far out of the range is still a number.
    using Typed = std::conditional_t<whole, qlonglong, double>;

protected:
    QValidator::State validate(QString &input, int &pos) const override
    {
        const QValidator::State state = Base::validate(input, pos);
        if (state != QValidator::Invalid)
            return state;
        return typed(input) ? QValidator::Intermediate : QValidator::Invalid;
    }

    void fixup(QString &input) const override
    {
        if (const std::optional<Typed> number = typed(input))
            input = this->prefix() + this->textFromValue(settled(*number)) + this->suffix();
    }

    Value valueFromText(const QString &text) const override { return settled(Base::valueFromText(text)); }

private:
    std::optional<Typed> typed(QString text) const
    {
        if (text.startsWith(this->prefix()))
            text.remove(0, this->prefix().size());
        if (text.endsWith(this->suffix()))
            text.chop(this->suffix().size());
        bool ok = false;
        Typed number;
        if constexpr (whole)
            number = this->locale().toLongLong(text.trimmed(), &ok);
        else
            number = this->locale().toDouble(text.trimmed(), &ok);
        return ok ? std::optional(number) : std::nullopt;
    }

    Value settled(Typed number) const
    {
        const Typed low = this->minimum();
        const Typed high = this->maximum();
        if constexpr (whole) {
            return Value(std::clamp(number, low, high));
        } else {
            const Typed steps = std::round((number - low) / this->singleStep());
            return std::clamp(low + steps * this->singleStep(), low, high);
        }
    }
};

using ClampingSpinBox = TypableSpinBox<QSpinBox>;
using SnappingSpinBox = TypableSpinBox<QDoubleSpinBox>;

// The site's address as a link in the link colour of the look in force: a label's
// rich text keeps the colour the palette had when the text was set.
class LinkLabel final : public QLabel
{
public:
    LinkLabel(const QString &url, const QString &text, QWidget *parent)
        : QLabel(parent)
        , m_url(url)
        , m_text(text)
    {
        showLink();
    }

protected:
    void changeEvent(QEvent *event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::PaletteChange)
            showLink();
    }

private:
    void showLink()
    {
        setText(
            QStringLiteral("<a href=\"%1\" style=\"color: %2\">%3</a>")
                .arg(m_url.toHtmlEscaped(), palette().color(QPalette::Link).name(), m_text.toHtmlEscaped()));
    }

    QString m_url;
    QString m_text;
};

// A key as the shortcut list shows it: monospaced, on a rounded plate.
class KeyBadge final : public QLabel
{
public:
    explicit KeyBadge(const QString &key, QWidget *parent = nullptr)
        : QLabel(key, parent)
    {
        setFont(PanelStyle::monospacedFont(11));
        setForegroundRole(QPalette::PlaceholderText);
        setContentsMargins(6, 2, 6, 2);
        setAlignment(Qt::AlignCenter);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor plate = palette().color(QPalette::WindowText);
        plate.setAlphaF(0.08f);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 4, 4);
        painter.fillPath(path, plate);
        painter.end();
        QLabel::paintEvent(event);
    }
};

// One segment of a segmented control: the chosen one is filled with the
// selection colour, whatever the style draws for a checked button.
class SegmentButton final : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        if (!isChecked()) {
            QPushButton::paintEvent(event);
            return;
        }
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        painter.fillPath(path, palette().color(QPalette::Highlight));
        painter.setPen(palette().color(QPalette::HighlightedText));
        painter.drawText(rect(), Qt::AlignCenter, text());
        if (hasFocus()) {
            painter.setPen(QPen(palette().color(QPalette::HighlightedText), 1, Qt::DotLine));
            painter.drawPath(path);
        }
    }
};

// The program's icon, a one-colour template image, in the text colour of the
// palette in force (so it shows on light and dark forms alike).
class AppIconView final : public QWidget
{
public:
    explicit AppIconView(int size, QWidget *parent = nullptr)
        : QWidget(parent)
    {
        setFixedSize(size, size);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const QIcon icon = tintedIcon(appIcon(), palette().color(QPalette::WindowText));
        QPainter(this).drawPixmap(rect(), icon.pixmap(size(), devicePixelRatioF()));
    }
};

QGroupBox *makeSection(const QString &title, QWidget *parent)
{
    auto *section = new QGroupBox(title, parent);
    auto *column = new QVBoxLayout(section);
    column->setSpacing(6);
    return section;
}

QHBoxLayout *addRow(QGroupBox *section)
{
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    static_cast<QVBoxLayout *>(section->layout())->addLayout(row);
    return row;
}

} // namespace

SettingsView::SettingsView(SettingsEnvironment environment, QWidget *parent)
    : QWidget(parent)
    , m_environment(std::move(environment))
{
    setObjectName(QStringLiteral("SettingsView"));
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *content = new QWidget;
    content->setAutoFillBackground(false);
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(16, 12, 16, 16);
    column->setSpacing(10);
    for (QWidget *section :
        { startupSection(), hotkeySection(), behaviorSection(), gestureSection(), appearanceSection(),
            clipboardSection(), clearSection(), notesSection(), shortcutsSection(), footerSection() })
        column->addWidget(section);
    column->addStretch(1);
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    connect(&m_environment.appState, &AppState::settingsChanged, this, [this] { showBoundValues(); });
    showBoundValues();
}

SettingsView::~SettingsView() = default;

// --- sections ------------------------------------------------------------------

QWidget *SettingsView::startupSection()
{
    QGroupBox *section = makeSection(QStringLiteral("Startup"), this);
    m_launchAtLogin = new QCheckBox(QStringLiteral("Launch at login"), section);
    m_launchAtLogin->setObjectName(QStringLiteral("launchAtLogin"));
    section->layout()->addWidget(m_launchAtLogin);
    connect(m_launchAtLogin, &QCheckBox::toggled, this, [this](bool on) { setLaunchAtLogin(on); });
    m_loginItemStatus = makeLabel(QString(), 10, Emphasis::Secondary, section);
    m_loginItemStatus->setObjectName(QStringLiteral("loginItemStatus"));
    m_loginItemStatus->hide();
    section->layout()->addWidget(m_loginItemStatus);
    return section;
}

QWidget *SettingsView::hotkeySection()
{
    QGroupBox *section = makeSection(QStringLiteral("Global Hotkey"), this);
    const QString title = QStringLiteral("Toggle HUD:");
    if (m_environment.shortcuts) {
        section->layout()->addWidget(new GlobalShortcuts::Recorder(*m_environment.shortcuts,
            m_environment.alerts, title, GlobalShortcuts::toggleHUD(), {}, section));
    } else {
        // No X server to grab keys from: nothing could be recorded.
        QHBoxLayout *row = addRow(section);
        row->addWidget(new QLabel(title, section));
        row->addStretch(1);
        row->addWidget(makeLabel(QStringLiteral("Not available in this session"), 11, Emphasis::Secondary));
    }
    return section;
}

QWidget *SettingsView::behaviorSection()
{
    QGroupBox *section = makeSection(QStringLiteral("Behavior"), this);
    m_dismissOnCopy = new QCheckBox(QStringLiteral("Dismiss panel when copying a clipboard item"), section);
    m_dismissOnCopy->setObjectName(QStringLiteral("dismissOnCopy"));
    section->layout()->addWidget(m_dismissOnCopy);
    connect(m_dismissOnCopy, &QCheckBox::toggled, this,
        [this](bool on) { m_environment.appState.setDismissOnCopy(on); });
    return section;
}

QWidget *SettingsView::gestureSection()
{
    QGroupBox *section = makeSection(QStringLiteral("Gesture"), this);
    m_gestureToggle = new QCheckBox(QStringLiteral("Pull-down gesture"), section);
    m_gestureToggle->setObjectName(QStringLiteral("gestureToggle"));
    connect(m_gestureToggle, &QCheckBox::toggled, this, [this](bool on) {
        m_environment.appState.setGestureEnabled(on);
        if (m_environment.appState.onGestureEnabledChanged)
            m_environment.appState.onGestureEnabledChanged(on);
    });
    section->layout()->addWidget(m_gestureToggle);

    m_gesturePermission = new QWidget(section);
    QWidget *permission = m_gesturePermission;
    permission->setObjectName(QStringLiteral("gesturePermission"));
    auto *row = new QHBoxLayout(permission);
    row->setContentsMargins(0, 0, 0, 0);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(0);
    texts->addWidget(makeLabel(QStringLiteral("Pull-down gesture"), 13, Emphasis::Secondary));
    texts->addWidget(makeLabel(QStringLiteral("Requires Accessibility access"), 10, Emphasis::Tertiary));
    row->addLayout(texts);
    row->addStretch(1);
    auto *open = new QPushButton(QStringLiteral("Open System Settings..."));
    open->setFont(PanelStyle::font(11));
    connect(open, &QPushButton::clicked, this, [this] {
        if (m_environment.requestAccessibility)
            m_environment.requestAccessibility();
    });
    row->addWidget(open, 0, Qt::AlignVCenter);
    section->layout()->addWidget(permission);
    return section;
}

QWidget *SettingsView::appearanceSection()
{
    QGroupBox *section = makeSection(QStringLiteral("Appearance"), this);
    QHBoxLayout *row = addRow(section);
    row->addWidget(new QLabel(QStringLiteral("Theme:"), section));
    row->addStretch(1);
    m_theme = new QButtonGroup(section);
    m_theme->setExclusive(true);
    const std::pair<const char *, const char *> options[] = {
        { "Follow System", "system" },
        { "Always Dark", "dark" },
        { "Always Light", "light" },
    };
    auto *segments = new QHBoxLayout;
    segments->setSpacing(0);
    for (const auto &[title, value] : options) {
        auto *segment = new SegmentButton(QString::fromLatin1(title), section);
        segment->setObjectName(QStringLiteral("theme-%1").arg(QLatin1String(value)));
        segment->setCheckable(true);
        segment->setProperty("appearanceMode", QString::fromLatin1(value));
        m_theme->addButton(segment);
        segments->addWidget(segment);
    }
    row->addLayout(segments);
    connect(m_theme, &QButtonGroup::buttonClicked, this, [this](QAbstractButton *segment) {
        const QString value = segment->property("appearanceMode").toString();
        m_environment.appState.defaults().setString(DefaultsKey::appearanceMode, value);
        Appearance::apply(Appearance::modeFor(value));
    });
    return section;
}

QWidget *SettingsView::clipboardSection()
{
    QGroupBox *section = makeSection(QStringLiteral("Clipboard"), this);
    m_historyLimit = new ClampingSpinBox(section);
    m_historyLimit->setObjectName(QStringLiteral("historyLimit"));
    m_historyLimit->setRange(int(SettingRange::historyLimitMin), int(SettingRange::historyLimitMax));
    m_historyLimit->setSingleStep(historyStep);
    m_historyLimit->setPrefix(QStringLiteral("History depth: "));
    m_historyLimit->setKeyboardTracking(false); // stored once the edit ends, not at every digit
    m_historyLimit->setAccelerated(false);
    connect(m_historyLimit, &QSpinBox::valueChanged, this,
        [this](int value) { m_environment.appState.setHistoryLimit(value); });
    QHBoxLayout *row = addRow(section);
    row->addWidget(m_historyLimit);
    row->addStretch(1);
    section->layout()->addWidget(makeLabel(
        QStringLiteral("Oldest items are automatically removed when the limit is reached. Pinned items are "
                       "never removed."),
        11, Emphasis::Secondary, section));
    m_skipSensitive = new QCheckBox(QStringLiteral("Skip sensitive clipboard items"), section);
    m_skipSensitive->setObjectName(QStringLiteral("skipSensitiveItems"));
    connect(m_skipSensitive, &QCheckBox::toggled, this,
        [this](bool on) { m_environment.appState.setSkipSensitiveItems(on); });
    section->layout()->addWidget(m_skipSensitive);
    section->layout()->addWidget(makeLabel(
        QStringLiteral("Items marked as sensitive by password managers (1Password, Bitwarden, etc.) will not "
                       "be stored in history."),
        11, Emphasis::Secondary, section));
    return section;
}

QWidget *SettingsView::clearSection()
{
    QGroupBox *section = makeSection(QString(), this);
    auto *clear = new QPushButton(QStringLiteral("Clear All History..."), section);
    clear->setObjectName(QStringLiteral("clearAllHistory"));
    derivePalette(*clear,
        [](QPalette &palette) { palette.setColor(QPalette::ButtonText, PanelStyle::destructive(palette)); });
    connect(clear, &QPushButton::clicked, this, [this] { confirmClearAll(); });
    QHBoxLayout *row = addRow(section);
    row->addWidget(clear);
    row->addStretch(1);
    section->layout()->addWidget(
        makeLabel(QStringLiteral("All clipboard data stays 100% local on your computer."), 11,
            Emphasis::Secondary, section));
    return section;
}

QWidget *SettingsView::notesSection()
{
    QGroupBox *section = makeSection(QStringLiteral("Notes"), this);
    QHBoxLayout *folder = addRow(section);
    // Shortened in the middle: a long path keeps its start and its folder name.
    m_vaultPath = new ElidedLabel(Qt::ElideMiddle, section);
    m_vaultPath->setText(noFolderSelected);
    m_vaultPath->setObjectName(QStringLiteral("vaultPath"));
    m_vaultPath->setFont(PanelStyle::font(12));
    m_vaultPath->setForegroundRole(QPalette::PlaceholderText);
    folder->addWidget(m_vaultPath, 1);
    auto *change = new QPushButton(QStringLiteral("Change..."), section);
    change->setObjectName(QStringLiteral("changeVault"));
    connect(change, &QPushButton::clicked, this, [this] { chooseNotesFolder(); });
    folder->addWidget(change);

    QHBoxLayout *delay = addRow(section);
    delay->addWidget(new QLabel(QStringLiteral("Auto-save delay:"), section));
    m_autoSaveDelay = new SnappingSpinBox(section);
    m_autoSaveDelay->setObjectName(QStringLiteral("autoSaveDelay"));
    m_autoSaveDelay->setRange(SettingRange::autoSaveDelayMin, SettingRange::autoSaveDelayMax);
    m_autoSaveDelay->setSingleStep(autoSaveStep);
    m_autoSaveDelay->setDecimals(1);
    m_autoSaveDelay->setSuffix(QStringLiteral("s"));
    m_autoSaveDelay->setKeyboardTracking(false); // stored once the edit ends, not at every digit
    m_autoSaveDelay->setAccelerated(false);
    connect(m_autoSaveDelay, &QDoubleSpinBox::valueChanged, this,
        [this](double seconds) { m_environment.appState.setAutoSaveDelay(seconds); });
    delay->addWidget(m_autoSaveDelay);
    delay->addStretch(1);
    return section;
}

QWidget *SettingsView::shortcutsSection()
{
    QGroupBox *section = makeSection(QStringLiteral("In-Panel Shortcuts"), this);
    const std::pair<const char *, const char *> rows[] = {
        { "Switch pane focus", "Tab" },
        { "Toggle edit/preview", "Ctrl+E" },
        { "New note", "Ctrl+N" },
        { "Copy selected item", "Return" },
        { "Delete selected item", "Delete" },
    };
    for (const auto &[label, key] : rows) {
        QHBoxLayout *row = addRow(section);
        row->addWidget(new QLabel(QString::fromLatin1(label), section));
        row->addStretch(1);
        row->addWidget(new KeyBadge(QString::fromLatin1(key), section));
    }
    return section;
}

QWidget *SettingsView::footerSection()
{
    QGroupBox *section = makeSection(QString(), this);
    QHBoxLayout *about = addRow(section);
    about->setSpacing(12);
    about->addWidget(new AppIconView(48, section));
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    auto *name = new QLabel(QStringLiteral("Quorvane"), section);
    name->setFont(PanelStyle::font(13, QFont::Bold));
    texts->addWidget(name);
    QLabel *version = makeLabel(versionLine(), 10, Emphasis::Secondary, section);
    version->setObjectName(QStringLiteral("versionLine"));
    texts->addWidget(version);
    about->addLayout(texts);
    about->addStretch(1);
    auto *check = new QPushButton(QStringLiteral("Check for Updates..."), section);
    check->setObjectName(QStringLiteral("checkForUpdates"));
    connect(check, &QPushButton::clicked, this, [this] { checkForUpdates(); });
    about->addWidget(check);

    auto *site = new LinkLabel(Product::homePage, Product::host, section);
    site->setObjectName(QStringLiteral("siteLink"));
    site->setFont(PanelStyle::font(12));
    site->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(site, &QLabel::linkActivated, this,
        [this](const QString &link) { m_environment.workspace.open(QUrl(link)); });
    section->layout()->addWidget(site);

    auto *feedback = new QPushButton(QStringLiteral("Send Feedback..."), section);
    feedback->setObjectName(QStringLiteral("sendFeedback"));
    feedback->setFont(PanelStyle::font(12));
    feedback->setFlat(true);
    connect(feedback, &QPushButton::clicked, this, [this] { sendFeedback(); });
    QHBoxLayout *row = addRow(section);
    row->addWidget(feedback);
    row->addStretch(1);
    return section;
}

// --- state ---------------------------------------------------------------------

void SettingsView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    refresh();
}

void SettingsView::refresh()
{
    // Shown as it is, never registered again: opening the settings changes nothing.
    {
        const QSignalBlocker quiet(m_launchAtLogin);
        m_launchAtLogin->setChecked(m_environment.loginItem.isEnabled());
    }
    const bool trusted = m_environment.isTrusted && m_environment.isTrusted();
    m_gestureToggle->setVisible(trusted);
    m_gesturePermission->setVisible(!trusted);
    const QUrl vault = m_environment.appState.notesManager().vaultURL();
    if (vault.isValid() && !vault.isEmpty())
        setVaultPath(vault.toLocalFile());
    showBoundValues();
}

void SettingsView::showBoundValues()
{
    const AppState &state = m_environment.appState;
    const QSignalBlocker quietDismiss(m_dismissOnCopy);
    m_dismissOnCopy->setChecked(state.dismissOnCopy());
    const QSignalBlocker quietGesture(m_gestureToggle);
    m_gestureToggle->setChecked(state.isGestureEnabled());
    const QSignalBlocker quietLimit(m_historyLimit);
    m_historyLimit->setValue(state.historyLimit()); // read into the range already
    const QSignalBlocker quietSkip(m_skipSensitive);
    m_skipSensitive->setChecked(state.skipSensitiveItems());
    const QSignalBlocker quietDelay(m_autoSaveDelay);
    m_autoSaveDelay->setValue(state.autoSaveDelay());
    // Any stored value but the two fixed looks follows the system, as it is applied.
    const Appearance::Mode shown = Appearance::modeFor(
        state.defaults().string(DefaultsKey::appearanceMode, DefaultValue::appearanceMode));
    for (QAbstractButton *segment : m_theme->buttons())
        segment->setChecked(Appearance::modeFor(segment->property("appearanceMode").toString()) == shown);
}

QString SettingsView::loginItemStatus() const
{
    return m_loginItemStatus->text();
}

void SettingsView::setLoginItemStatus(const QString &status)
{
    m_loginItemStatus->setText(status);
    m_loginItemStatus->setVisible(!status.isEmpty());
    const bool failed = status.contains(QLatin1String("Failed"));
    derivePalette(*m_loginItemStatus, [failed](QPalette &palette) {
        if (failed)
            palette.setColor(QPalette::PlaceholderText, PanelStyle::destructive(palette));
    });
}

void SettingsView::setLaunchAtLogin(bool enabled)
{
    QString error;
    const bool done = enabled ? m_environment.loginItem.registerEntry(&error)
                              : m_environment.loginItem.unregisterEntry(&error);
    if (done) {
        setLoginItemStatus(enabled ? QStringLiteral("Enabled") : QString());
        return;
    }
    log().error(QStringLiteral("Failed to update the login item: %1").arg(error));
    setLoginItemStatus(QStringLiteral("Failed — check %1").arg(m_environment.loginItem.location()));
    // Off without running the change again: a failed register must not unregister
    // an entry that may be there, nor blank the message.
    const QSignalBlocker quiet(m_launchAtLogin);
    m_launchAtLogin->setChecked(false);
}

void SettingsView::setVaultPath(const QString &path)
{
    m_vaultPath->setText(path);
    m_vaultPath->setToolTip(path);
    m_vaultPath->update();
}

// --- actions -------------------------------------------------------------------

void SettingsView::confirmClearAll()
{
    // Nothing brings the history back: Return and Escape both keep it.
    const Alert confirmation { .style = Alert::Style::Warning,
        .message = QStringLiteral("Clear all clipboard history?"),
        .informativeText = QStringLiteral(
            "This will permanently delete all clipboard history. Pinned items will also be removed."),
        .buttons = { QStringLiteral("Clear All"), QStringLiteral("Cancel") },
        .defaultButton = 1,
        .cancelButton = 1 };
    if (m_environment.alerts.run(confirmation) == 0)
        m_environment.appState.clipboardManager().clearAll();
}

void SettingsView::chooseNotesFolder()
{
    window()->activateWindow();
    QPointer<SettingsView> self(this);
    m_environment.folderChooser.chooseFolder(
        { QStringLiteral("Choose"), QStringLiteral("Select your notes folder"),
            m_environment.appState.notesManager().vaultURL().toLocalFile() },
        [self](const std::optional<QUrl> &folder) {
            if (!self || !folder)
                return;
            // On a later turn: the chooser's own completion finishes first.
            QTimer::singleShot(0, self, [self, folder = *folder] {
                self->m_environment.appState.changeVault(folder);
                const QUrl vault = self->m_environment.appState.notesManager().vaultURL();
                if (vault.isValid() && !vault.isEmpty())
                    self->setVaultPath(vault.toLocalFile());
            });
        });
}

void SettingsView::checkForUpdates()
{
    Updater *updater = m_environment.appState.updater();
    if (!updater)
        return;
    // The outcome of this check, once; automatic checks stay silent.
    delete m_updateCheck.data();
    auto *check = new QObject(this);
    m_updateCheck = check;
    const auto report = [this, check](const QString &message, const QString &informativeText) {
        check->deleteLater();
        // On a later turn: the updater opens the download page once its signal
        // returns, and the alert that says so must not hold that back.
        QTimer::singleShot(0, this, [this, message, informativeText] {
            m_environment.alerts.run({ Alert::Style::Informational, message, informativeText, {} });
        });
    };
    connect(updater, &Updater::didFindValidUpdate, check, [report](const AppcastItem &item) {
        report(QStringLiteral("A new version of Quorvane is available"),
            QStringLiteral("Quorvane %1 is out; its download page has been opened in your browser.")
                .arg(item.displayVersion));
    });
    connect(updater, &Updater::upToDate, check, [report] {
        report(QStringLiteral("You're up to date!"),
            QStringLiteral("Quorvane %1 is currently the newest version available.").arg(version()));
    });
    connect(updater, &Updater::checkFailed, check,
        [report](const QString &error) { report(QStringLiteral("Update check failed"), error); });
    updater->checkForUpdates();
}

QString SettingsView::version()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral("1.0.0") : version;
}

QString SettingsView::build()
{
    const QString build = QStringLiteral(QUORVANE_BUILD);
    return build.isEmpty() ? QStringLiteral("1") : build;
}

QString SettingsView::versionLine()
{
    return QStringLiteral("Version %1 (%2)").arg(version(), build());
}

QUrl SettingsView::feedbackUrl() const
{
    const bool trusted = m_environment.isTrusted && m_environment.isTrusted();
    const QUrl vault = m_environment.appState.notesManager().vaultURL();
    const QString vaultText
        = vault.isValid() && !vault.isEmpty() ? vault.toLocalFile() : QStringLiteral("Not configured");
    const QString subject = QStringLiteral("Quorvane Feedback (v%1)").arg(version());
    const QString body = QStringLiteral("\n---\nApp: Quorvane ") + version() + QStringLiteral(" (") + build()
        + QStringLiteral(")\nLinux: ") + QSysInfo::prettyProductName() + QStringLiteral("\nAccessibility: ")
        + (trusted ? QStringLiteral("Granted") : QStringLiteral("Not granted"))
        + QStringLiteral("\nGesture: ")
        + (m_environment.appState.isGestureEnabled() ? QStringLiteral("Enabled") : QStringLiteral("Disabled"))
        + QStringLiteral("\nVault: ") + vaultText;
    // Every value byte that isn't unreserved is encoded, so "&", "=", "+" and "#"
    // in a path can't end a value or start another.
    const QByteArray encoded = QByteArrayLiteral("mailto:") + Product::supportEmail.toUtf8()
        + QByteArrayLiteral("?subject=") + QUrl::toPercentEncoding(subject) + QByteArrayLiteral("&body=")
        + QUrl::toPercentEncoding(body);
    return QUrl::fromEncoded(encoded, QUrl::StrictMode);
}

void SettingsView::sendFeedback()
{
    const QUrl url = feedbackUrl();
    if (url.isValid())
        m_environment.workspace.open(url);
}
