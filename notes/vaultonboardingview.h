#pragma once

#include <QWidget>

class NotesEnvironment;
class QLabel;
class QPushButton;

// The notes pane's first-run view: it asks for the folder of Markdown files
// that becomes the vault. "Choose Folder..." hides the panel first (the chooser
// must not sit under it), then asks through the environment's folder chooser,
// and hands a chosen folder to the vault change on a later turn of the main
// queue. Cancelling changes nothing. Main thread only.
class VaultOnboardingView : public QWidget
{
    Q_OBJECT
public:
    // `environment` outlives the view and any question it asks.
    explicit VaultOnboardingView(NotesEnvironment &environment, QWidget *parent = nullptr);

    void chooseVaultFolder();
    QPushButton *chooseButton() const { return m_chooseButton; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void updateIcon();

    NotesEnvironment &m_environment;
    QLabel *m_icon;
    QPushButton *m_chooseButton;
};
