#include "platform/qt/qtfolderchooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

void QtFolderChooser::chooseFolder(const Request &request, Done done)
{
    auto *dialog = new QFileDialog(nullptr, request.message);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setLabelText(QFileDialog::Accept, request.prompt);
    // Never the program's working folder, which means nothing to the user.
    dialog->setDirectory(QFileInfo(request.startFolder).isDir() ? request.startFolder : QDir::homePath());
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
