#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>

// Reading and writing the files the native tests set up and check.
namespace TestFiles {

// The whole file, or nothing when it cannot be read.
inline QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the file, making its directory first.
inline bool write(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

} // namespace TestFiles
