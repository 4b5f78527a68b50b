// SPDX-License-Identifier: GPL-3.0-or-later
#include "console/quicksend/QuickSendStorage.h"

#include <QFile>
#include <QSaveFile>

TQuickSendFileResult LoadQuickSendFile(const std::string &path)
{
    QFile file(QString::fromStdString(path));
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return { .Entries = {}, .Error = "无法读取文件：" + file.errorString().toStdString() };
    if (file.size() > MaxQuickSendFileBytes)
        return { .Entries = {}, .Error = "文件超过 " + std::to_string(MaxQuickSendFileBytes / (1024 * 1024)) + " MiB" };
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return { .Entries = {}, .Error = "无法读取文件：" + file.errorString().toStdString() };
    return ParseQuickSendFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

std::string SaveQuickSendFile(const std::string &path, const std::vector<TQuickSendEntry> &entries)
{
    const std::string contents = FormatQuickSendFile(entries);
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)
        || file.write(contents.data(), static_cast<qint64>(contents.size())) != static_cast<qint64>(contents.size())
        || !file.commit())
        return "无法写入文件：" + file.errorString().toStdString();
    return {};
}
