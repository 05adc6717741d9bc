#include "platform/qt/qtalertpresenter.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

int QtAlertPresenter::run(const Alert &alert)
{
    const QMessageBox::Icon icon = alert.style == Alert::Style::Critical ? QMessageBox::Critical
        : alert.style == Alert::Style::Warning                           ? QMessageBox::Warning
                                                                         : QMessageBox::Information;
    QMessageBox box(icon, QStringLiteral("Quorvane"), alert.message);
    box.setInformativeText(alert.informativeText);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    QList<QPushButton *> buttons;
    for (const QString &title : alert.buttons)
        buttons.append(
            box.addButton(title, buttons.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole));
    const auto button
        = [&buttons](int index) { return index >= 0 && index < buttons.size() ? buttons[index] : nullptr; };
    if (QPushButton *chosen = button(alert.defaultButton))
        box.setDefaultButton(chosen);
    if (QPushButton *cancel = button(alert.cancelButton))
        box.setEscapeButton(cancel);
    Shown shown { &box, button(alert.quitButton) ? alert.quitButton : -1 };
    m_shown.prepend(&shown);
    box.exec();
    m_shown.removeOne(&shown);
    if (shown.closedForTermination)
        return shown.quitButton;
    return int(buttons.indexOf(qobject_cast<QPushButton *>(box.clickedButton())));
}

void QtAlertPresenter::closeForTermination()
{
    // Every alert up closes: the innermost returns into the outer one's loop, which ends too.
    for (Shown *shown : std::as_const(m_shown)) {
        shown->closedForTermination = true;
        shown->box->done(QDialog::Rejected);
    }
}
