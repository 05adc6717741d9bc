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
    if (!buttons.isEmpty())
        box.setDefaultButton(buttons.constFirst());
    box.exec();
    return int(buttons.indexOf(qobject_cast<QPushButton *>(box.clickedButton())));
}
