#include "app/settingswindowcontroller.h"

#include "app/appstate.h"
#include "platform/defaults.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Where the window system would keep the frame under the autosave name "QuorvaneSettings".
const QString frameKey = QStringLiteral("NSWindow Frame QuorvaneSettings");

// Saves the frame whenever the window is moved, resized or closed.
class FrameKeeper : public QObject
{
public:
    FrameKeeper(QWidget *window, Defaults &defaults)
        : QObject(window)
        , m_window(window)
        , m_defaults(defaults)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Hide:
            if (m_window->isVisible() || event->type() == QEvent::Hide)
                m_defaults.setData(frameKey, m_window->saveGeometry());
            break;
        default:
            break;
        }
        return false;
    }

private:
    QWidget *m_window;
    Defaults &m_defaults;
};

} // namespace

SettingsWindowController &SettingsWindowController::shared()
{
    static SettingsWindowController instance;
    return instance;
}

void SettingsWindowController::show(AppState &appState)
{
    if (!m_window) {
        auto *window = new QWidget(nullptr,
            Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
        window->setObjectName(QStringLiteral("QuorvaneSettings"));
        window->setWindowTitle(QStringLiteral("Quorvane Settings"));
        auto *layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        QWidget *form = makeForm ? makeForm(appState) : new QWidget;
        if (form->objectName().isEmpty())
            form->setObjectName(QStringLiteral("SettingsView"));
        layout->addWidget(form);
        // Not resizable by the user: the form scrolls within its one size.
        window->setFixedSize(width, contentHeight);
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            window->move(screen->availableGeometry().center() - window->rect().center());
        // A remembered frame wins over the centred one.
        if (const auto frame = appState.defaults().data(frameKey)) {
            window->restoreGeometry(*frame);
            window->setFixedSize(width, contentHeight); // a frame saved at another size
        }
        new FrameKeeper(window, appState.defaults());
        m_window = window;
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void SettingsWindowController::destroyWindow()
{
    delete m_window.data();
}
