// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DialogFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace
{

QString &LastFolder()
{
    static QString folder;
    return folder;
}

} // namespace

std::string ChooseDialogFolder(const TDialogFolderFacts &facts)
{
    if (!facts.LastFolder.empty() && facts.LastFolderExists)
        return facts.LastFolder;
    if (!facts.Documents.empty() && facts.DocumentsExists)
        return facts.Documents;
    return facts.Home;
}

QString DialogFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const TDialogFolderFacts facts {
        .LastFolder = LastFolder().toStdString(),
        .LastFolderExists = !LastFolder().isEmpty() && QFileInfo(LastFolder()).isDir(),
        .Documents = documents.toStdString(),
        .DocumentsExists = !documents.isEmpty() && QFileInfo(documents).isDir(),
        .Home = QDir::homePath().toStdString(),
    };
    return QString::fromStdString(ChooseDialogFolder(facts));
}

QString DialogPath(const QString &fileName)
{
    return QDir(DialogFolder()).filePath(fileName);
}

void RememberDialogFile(const QString &path)
{
    if (!path.isEmpty())
        LastFolder() = QFileInfo(path).absolutePath();
}
