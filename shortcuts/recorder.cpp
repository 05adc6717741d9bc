#include "shortcuts/recorder.h"

#include <QHBoxLayout>
#include <QLabel>

namespace GlobalShortcuts {

Recorder::Recorder(
    Registry &registry, AlertPresenter &alerts, const Name &name, OnChange onChange, QWidget *parent)
    : QWidget(parent)
    , m_control(new RecorderCocoa(registry, alerts, name, std::move(onChange), this))
{
    build(nullptr);
}

Recorder::Recorder(Registry &registry, AlertPresenter &alerts, const QString &title, const Name &name,
    OnChange onChange, QWidget *parent)
    : QWidget(parent)
    , m_control(new RecorderCocoa(registry, alerts, name, std::move(onChange), this))
{
    auto *text = new QLabel(this);
    text->setTextFormat(Qt::PlainText);
    text->setText(title);
    build(text);
}

Recorder::Recorder(Registry &registry, AlertPresenter &alerts, const Name &name, OnChange onChange,
    const std::function<QWidget *()> &label, QWidget *parent)
    : QWidget(parent)
    , m_control(new RecorderCocoa(registry, alerts, name, std::move(onChange), this))
{
    build(label ? label() : nullptr);
}

void Recorder::build(QWidget *label)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_label = label;
    if (m_label) {
        m_label->setParent(this);
        row->addWidget(m_label);
        row->addStretch(1);
    }
    row->addWidget(m_control);
    if (QLabel *text = qobject_cast<QLabel *>(m_label))
        text->setBuddy(m_control);
}

} // namespace GlobalShortcuts
