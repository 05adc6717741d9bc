#pragma once

#include "platform/alertpresenter.h"

// Alerts as QMessageBox dialogs, raised above the panel.
class QtAlertPresenter final : public AlertPresenter
{
public:
    int run(const Alert &alert) override;
};
