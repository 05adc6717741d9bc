#pragma once

#include <QWidget>

#include <memory>

class AppState;
class Debouncer;
class QLabel;
class QLineEdit;
class QToolButton;

// The search field along the top of the panel. Shows what is typed at once and
// publishes it as the shared query once typing has paused for 0.15 s (only the
// last text of a burst), or at once when a key acts on the list before then
// (AppState::searchFieldFlush); the clear button empties the field and the query at
// once. Its keyboard focus follows the panel's focus target both ways: the focus
// cycle puts the caret in it, a click into it makes the search the target.
// Made once with the panel, so the typed text survives hiding. Main thread only.
class SearchBarView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int publishDelayMs = 150;

    // `appState` outlives the view.
    explicit SearchBarView(AppState &appState, QWidget *parent = nullptr);
    ~SearchBarView() override;

    QLineEdit *field() const { return m_field; }
    QToolButton *clearButton() const { return m_clear; }
    // Empties the field and the shared query at once.
    void clear();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void onTextChanged(const QString &text);
    void onFieldFocusChanged(bool focused);
    void onFocusTargetChanged();
    void updateIcons();

    AppState &m_appState;
    std::unique_ptr<Debouncer> m_debouncer;
    QLabel *m_glass;
    QLineEdit *m_field;
    QToolButton *m_clear;
};
