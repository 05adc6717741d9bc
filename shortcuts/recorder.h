#pragma once

#include "shortcuts/recordercocoa.h"

#include <QWidget>

#include <functional>

class QLabel;

namespace GlobalShortcuts {

// A shortcut recorder as a form places it: the control alone, or a label on the
// leading side with the control after it. The label is a plain text shown as it
// stands, or a widget of the caller's. Main thread only.
class Recorder : public QWidget
{
public:
    using OnChange = RecorderCocoa::OnChange;

    // Without a label.
    Recorder(Registry &registry, AlertPresenter &alerts, const Name &name, OnChange onChange = {},
        QWidget *parent = nullptr);
    // With a text label.
    Recorder(Registry &registry, AlertPresenter &alerts, const QString &title, const Name &name,
        OnChange onChange = {}, QWidget *parent = nullptr);
    // With a label widget, built once, here; the recorder owns it.
    Recorder(Registry &registry, AlertPresenter &alerts, const Name &name, OnChange onChange,
        const std::function<QWidget *()> &label, QWidget *parent = nullptr);

    bool hasLabel() const { return m_label != nullptr; }
    QWidget *label() const { return m_label; }
    RecorderCocoa *control() const { return m_control; }

    Name name() const { return m_control->shortcutName(); }
    // Shows the other Name's shortcut in the same control, which keeps the change
    // callback it was made with.
    void setName(const Name &name) { m_control->setShortcutName(name); }

private:
    void build(QWidget *label);

    RecorderCocoa *m_control;
    QWidget *m_label = nullptr;
};

} // namespace GlobalShortcuts
