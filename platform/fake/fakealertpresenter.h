#pragma once

#include "platform/alertpresenter.h"

#include <QList>

#include <functional>

// Records every alert and answers with the queued answers, then with `defaultAnswer`.
class FakeAlertPresenter final : public AlertPresenter
{
public:
    int run(const Alert &alert) override
    {
        shown.append(alert);
        if (onRun)
            onRun();
        return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
    }

    QList<Alert> shown;
    QList<int> answers;
    int defaultAnswer = -1;
    std::function<void()> onRun; // called while the alert is up
};
