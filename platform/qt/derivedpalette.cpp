#include "platform/qt/derivedpalette.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace {

const char derivationName[] = "PanelStyle.derivedPalette";

// Re-derives its widget's colours from the inherited palette whenever that
// changes. A copy of an inherited palette set on a widget pins every role it
// sets, so without this the colours of the look at creation would stay. It is
// the parent that is watched: a change of look that leaves the widget's other
// roles as they were sends the widget itself nothing.
class PaletteDerivation final : public QObject
{
public:
    explicit PaletteDerivation(QWidget &widget)
        : QObject(&widget)
        , m_widget(widget)
    {
        setObjectName(QLatin1String(derivationName));
        widget.installEventFilter(this);
        watchParent();
    }

    void setDerive(std::function<void(QPalette &)> derive)
    {
        m_derive = std::move(derive);
        apply();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_widget && event->type() == QEvent::ParentChange) {
            watchParent();
            apply();
        } else if (event->type() == QEvent::PaletteChange && (watched == m_parent || !m_parent)) {
            // What the widget inherits changed; its own changes with a parent are
            // ours or its style sheet's.
            apply();
        }
        return false;
    }

private:
    void watchParent()
    {
        if (m_parent)
            m_parent->removeEventFilter(this);
        m_parent = m_widget.parentWidget();
        if (m_parent)
            m_parent->installEventFilter(this);
    }

    void apply()
    {
        if (m_applying)
            return; // our own change of the palette
        if (m_widget.styleSheet().isEmpty())
            setDerivedPalette();
        else
            refreshSheetLater();
    }

    void setDerivedPalette()
    {
        m_applying = true;
        QPalette palette = m_parent ? m_parent->palette() : QApplication::palette(&m_widget);
        palette.setResolveMask(0); // only the derived roles are the widget's own
        if (m_derive)
            m_derive(palette);
        m_widget.setPalette(palette);
        m_applying = false;
    }

    // A style sheet keeps the palette the widget had when it was applied and puts
    // it back when it is taken off: off, the new palette, and on again. Later, as
    // a change may come while the sheet polishes the widget, and taking it off then
    // would pull the style from under it.
    void refreshSheetLater()
    {
        if (m_refreshQueued)
            return;
        m_refreshQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_refreshQueued = false;
                const QString sheet = m_widget.styleSheet();
                m_applying = true;
                m_widget.setStyleSheet(QString());
                m_applying = false;
                setDerivedPalette();
                m_applying = true;
                m_widget.setStyleSheet(sheet);
                m_applying = false;
            },
            Qt::QueuedConnection);
    }

    QWidget &m_widget;
    QPointer<QWidget> m_parent;
    std::function<void(QPalette &)> m_derive;
    bool m_applying = false;
    bool m_refreshQueued = false;
};

PaletteDerivation *derivationOf(QWidget &widget)
{
    return static_cast<PaletteDerivation *>(
        widget.findChild<QObject *>(QLatin1String(derivationName), Qt::FindDirectChildrenOnly));
}

// The application hears of a new palette before any widget does: each widget with
// a sheet that does not follow the look yet starts following it then, and its
// sheet is applied again once the new palette has reached its parent.
class LookFollower final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ApplicationPaletteChange && watched == qApp) {
            const QWidgetList widgets = QApplication::allWidgets();
            for (QWidget *widget : widgets) {
                if (!widget->styleSheet().isEmpty() && !derivationOf(*widget))
                    followLook(*widget);
            }
        }
        return false;
    }
};

} // namespace

void followLookEverywhere()
{
    static QPointer<LookFollower> follower; // the application's child
    if (follower)
        return;
    follower = new LookFollower(qApp);
    qApp->installEventFilter(follower);
}

void followLook(QWidget &widget)
{
    derivePalette(widget, {});
}

void derivePalette(QWidget &widget, std::function<void(QPalette &)> derive)
{
    PaletteDerivation *derivation = derivationOf(widget);
    if (!derivation)
        derivation = new PaletteDerivation(widget);
    derivation->setDerive(std::move(derive));
}
