#pragma once

#include <QLabel>

// One line of text shortened to the width it is given, with an ellipsis where
// it is cut: a long text neither widens the layout it stands in nor shows cut
// off. text() keeps the whole text.
class ElidedLabel : public QLabel
{
public:
    explicit ElidedLabel(Qt::TextElideMode mode, QWidget *parent = nullptr);

    // As wide as the layout makes it: no width of its own to ask for.
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const Qt::TextElideMode m_mode;
};
