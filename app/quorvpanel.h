#pragma once

#include <QWidget>

#include <functional>

class QKeyEvent;
class QPainter;

// The heads-up panel's window: frameless, above other windows, out of the task bar,
// and able to take the keyboard. Its content is one child placed by PanelController
// at the panel's full size, so a drop-down reveals it instead of squeezing it.
class QuorvPanel : public QWidget
{
    Q_OBJECT
public:
    // `translucent`: paint a see-through background; only worth it with a compositor,
    // without one the unpainted alpha would show as black.
    explicit QuorvPanel(bool translucent = false);
    ~QuorvPanel() override;

    // Sees every key press meant for the panel or any widget in it before that widget
    // does; returning true consumes the press.
    std::function<bool(QKeyEvent *)> onKeyDown;

    // Takes ownership (as the Qt parent). The previous content is deleted.
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

    // How much of the content shows over the panel's background, from 0 (none) to 1
    // (all): the fades after the drop and before the collapse. The background is laid
    // over the content at 1 - `opacity` rather than the content drawn through an
    // opacity effect: when only an effect changes, Qt repaints its widget without the
    // parts inside that paint themselves opaquely (a scroll area's viewport), and those
    // kept a faded frame on screen until something else repainted them.
    void setContentOpacity(qreal opacity);
    qreal contentOpacity() const { return m_contentOpacity; }

Q_SIGNALS:
    // The window system or the application's quit asked the window to close.
    void closeRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    class Veil;

    void paintBackground(QPainter &painter) const;

    QWidget *m_content = nullptr;
    Veil *m_veil;
    qreal m_contentOpacity = 1.0;
    bool m_translucent;
};
