// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/receive/SaveDialog.h"

#include "ui/DialogFolder.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>
#include <utility>

namespace
{

// "description|pattern|description|pattern" as Qt name filters; a description that already shows its pattern in
// parentheses is used as it is.
QStringList NameFilters(const std::string &filter)
{
    QStringList parts = QString::fromStdString(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts[i];
        const QString &pattern = parts[i + 1];
        filters.append(description.endsWith(QStringLiteral("(") + pattern + QStringLiteral(")"))
                ? description
                : description + QStringLiteral(" (") + pattern + QStringLiteral(")"));
    }
    return filters;
}

bool RunQtDialog(TSaveDialog &dialog, QWidget *parent)
{
    QFileDialog fileDialog(parent);
    fileDialog.setAcceptMode(QFileDialog::AcceptSave);
    fileDialog.setFileMode(QFileDialog::AnyFile);
    fileDialog.setOption(QFileDialog::DontConfirmOverwrite);
    fileDialog.setWindowModality(Qt::ApplicationModal);
    fileDialog.setNameFilters(NameFilters(dialog.Filter));
    fileDialog.setDefaultSuffix(QString::fromStdString(dialog.DefaultExt));
    // A bare name (the first save's "sc.txt") opens in the dialog folder; a chosen path opens where it was chosen.
    const QString name = QString::fromStdString(dialog.FileName);
    fileDialog.selectFile(QFileInfo(name).isAbsolute() ? name : DialogPath(name));
    if (fileDialog.exec() != QDialog::Accepted || fileDialog.selectedFiles().isEmpty())
        return false;
    RememberDialogFile(fileDialog.selectedFiles().front());
    dialog.FileName = fileDialog.selectedFiles().front().toStdString();
    return true;
}

TSaveDialog::TRunner &Runner()
{
    static TSaveDialog::TRunner runner;
    return runner;
}

} // namespace

bool TSaveDialog::Execute(QWidget *parent)
{
    if (Runner())
        return Runner()(*this, parent);
    return RunQtDialog(*this, parent);
}

TSaveDialog::TRunner TSaveDialog::SetRunner(TRunner runner)
{
    return std::exchange(Runner(), std::move(runner));
}
