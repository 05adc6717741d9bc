#include "platform/qt/qtfolderchooser.h"

#include <QFileDialog>

void QtFolderChooser::chooseFolder(const Request &request, Done done)
{
    auto *dialog = new QFileDialog(nullptr, request.message);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setLabelText(QFileDialog::Accept, request.prompt);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
        const QList<QUrl> chosen = dialog->selectedUrls();
        if (result == QDialog::Accepted && !chosen.isEmpty() && chosen.constFirst().isLocalFile())
            done(chosen.constFirst());
        else
            done(std::nullopt);
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
