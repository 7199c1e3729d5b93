#include "Account/SaveFilePrompt.h"

#include <QDir>
#include <QFileDialog>

#include <memory>

void SaveFilePrompt::ask(const Request& request, std::function<void(const std::optional<QString>& path)> answer)
{
    const QDir folder(QDir(request.folder).exists() ? request.folder : QDir::homePath());
    auto* dialog = new QFileDialog(nullptr, request.title, folder.filePath(request.name), request.filter);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(request.suffix);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // A chosen file comes just before the dialog finishes; finishing without one is a cancel.
    auto chosen = std::make_shared<std::optional<QString>>();
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [chosen](const QString& path) { *chosen = path; });
    QObject::connect(dialog, &QDialog::finished, dialog, [chosen, answer = std::move(answer)] { answer(*chosen); });
    dialog->open();
}
