#pragma once

#include <QWidget>

#include <functional>

class AppState;
class QLabel;
class QPushButton;
class QToolButton;

// The thin bar along the bottom of the panel: the "Press Esc to dismiss" hint,
// an "Update" button while a newer release exists (it asks the updater to check
// now), and the gear that opens the settings window. A faint line lies over its
// top edge without taking height. Main thread only.
class PanelFooterView : public QWidget
{
    Q_OBJECT
public:
    // `appState` outlives the footer.
    explicit PanelFooterView(AppState &appState, QWidget *parent = nullptr);

    // Run by the gear; nothing when empty.
    std::function<void()> onSettingsTapped;

    QPushButton *updateButton() const { return m_update; }
    QToolButton *settingsButton() const { return m_settings; }
    QLabel *hint() const { return m_hint; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void updateLook();

    AppState &m_appState;
    QLabel *m_hint;
    QPushButton *m_update;
    QToolButton *m_settings;
};
