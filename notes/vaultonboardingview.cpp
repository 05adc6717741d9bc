#include "notes/vaultonboardingview.h"

#include "notes/notesenvironment.h"
#include "notes/notesmanager.h"
#include "platform/folderchooser.h"
#include "platform/mainqueue.h"
#include "platform/qt/derivedpalette.h"
#include "platform/symbolicon.h"

#include "ui/panelstyle.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel *label(const QString &text, int pixelSize, qreal opacity, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(PanelStyle::font(pixelSize));
    derivePalette(*label, [opacity](QPalette &palette) {
        QColor color = palette.color(QPalette::WindowText);
        color.setAlphaF(opacity);
        palette.setColor(QPalette::WindowText, color);
    });
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

VaultOnboardingView::VaultOnboardingView(NotesEnvironment &environment, QWidget *parent)
    : QWidget(parent)
    , m_environment(environment)
{
    setObjectName(QStringLiteral("VaultOnboardingView"));
    auto *column = new QVBoxLayout(this);
    column->setSpacing(16);
    column->addStretch(1);

    m_icon = label(QString(), 32, PanelStyle::secondaryAlpha, this);
    m_icon->setObjectName(QStringLiteral("onboardingIcon"));
    updateIcon();
    column->addWidget(m_icon, 0, Qt::AlignHCenter);

    column->addWidget(
        label(QStringLiteral("Choose a folder to get started"), 13, PanelStyle::secondaryAlpha, this), 0,
        Qt::AlignHCenter);
    QLabel *explanation = label(
        QStringLiteral("Point Quorvane at a folder of Markdown files \u2014 like your Obsidian vault."), 11,
        PanelStyle::tertiaryAlpha, this);
    explanation->setWordWrap(true);
    // Laid out at its full width and height: left to the layout, a wrapped
    // label centred in a column is squeezed to a few cut lines.
    explanation->setFixedWidth(200);
    explanation->setMinimumHeight(explanation->heightForWidth(200));
    column->addWidget(explanation, 0, Qt::AlignHCenter);

    m_chooseButton = new QPushButton(QStringLiteral("Choose Folder..."), this);
    m_chooseButton->setObjectName(QStringLiteral("chooseFolderButton"));
    connect(m_chooseButton, &QPushButton::clicked, this, &VaultOnboardingView::chooseVaultFolder);
    column->addWidget(m_chooseButton, 0, Qt::AlignHCenter);
    column->addStretch(1);
}

void VaultOnboardingView::updateIcon()
{
    m_icon->setPixmap(symbolPixmap(
        Symbol::FolderPlus, 32, m_icon->palette().color(QPalette::WindowText), m_icon->devicePixelRatioF()));
}

void VaultOnboardingView::changeEvent(QEvent *event)
{
    // The icon is drawn in the text colour of the look at the time.
    if (event->type() == QEvent::PaletteChange)
        updateIcon();
    QWidget::changeEvent(event);
}

void VaultOnboardingView::chooseVaultFolder()
{
    // The panel floats above every window: it goes first, so the chooser is seen.
    m_environment.dismissPanel();
    NotesEnvironment *environment = &m_environment;
    m_environment.folderChooser().chooseFolder(
        { QStringLiteral("Choose"), QStringLiteral("Select your notes folder"),
            m_environment.notesManager().vaultURL().toLocalFile() },
        [environment](const std::optional<QUrl> &folder) {
            if (!folder)
                return;
            const QUrl chosen = *folder;
            MainQueue::async([environment, chosen] { environment->changeVault(chosen); });
        });
}
