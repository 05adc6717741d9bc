#pragma once

#include "platform/alertpresenter.h"

#include <QList>

class QMessageBox;

// Alerts as QMessageBox dialogs, raised above the panel.
class QtAlertPresenter final : public AlertPresenter
{
public:
    int run(const Alert &alert) override;
    void closeForTermination() override;

private:
    struct Shown
    {
        QMessageBox *box; // lives as long as its run()
        int quitButton; // -1: none
        bool closedForTermination = false;
    };
    // The alerts up now, innermost first when one opened another.
    QList<Shown *> m_shown;
};
