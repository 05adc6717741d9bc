#pragma once

#include <QWidget>

class AppState;
class QBoxLayout;

// The whole content of the panel: the search bar along the top, the clipboard and
// notes panes side by side with a faint divider, and the footer along the bottom.
// Made once and kept while the panel hides, so what its children hold survives.
// The areas start empty; each pane is placed into its area when it exists.
// Ctrl+N, while the notes pane has the panel's focus, makes a new note.
class QuorvContentView : public QWidget
{
    Q_OBJECT
public:
    explicit QuorvContentView(AppState &appState, QWidget *parent = nullptr);

    QWidget *searchBarArea() const { return m_searchBarArea; }
    QWidget *clipboardPaneArea() const { return m_clipboardPaneArea; }
    QWidget *notesPaneArea() const { return m_notesPaneArea; }
    QWidget *footerArea() const { return m_footerArea; }

    // Puts `widget` into `area` (one of the above), replacing what was there.
    static void place(QWidget *area, QWidget *widget);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    AppState &m_appState; // outlives the view
    QWidget *m_searchBarArea;
    QWidget *m_clipboardPaneArea;
    QWidget *m_notesPaneArea;
    QWidget *m_footerArea;
};
