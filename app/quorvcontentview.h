#pragma once

#include <QWidget>

class AppClipboardPaneState;
class AppState;
class NotificationCenter;
class QBoxLayout;

// The whole content of the panel: the search bar along the top, the clipboard and
// notes panes side by side with a faint divider, and the footer along the bottom.
// Made once and kept while the panel hides, so what its children hold survives.
// The notes area starts empty; the notes pane is placed into it when it exists.
// Ctrl+N, while the notes pane has the panel's focus, makes a new note.
class QuorvContentView : public QWidget
{
    Q_OBJECT
public:
    // `appState` and `notifications` outlive the view.
    QuorvContentView(AppState &appState, NotificationCenter &notifications, QWidget *parent = nullptr);
    ~QuorvContentView() override;

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
    AppClipboardPaneState *m_clipboardState;
    QWidget *m_searchBarArea;
    QWidget *m_clipboardPaneArea;
    QWidget *m_notesPaneArea;
    QWidget *m_footerArea;
};
