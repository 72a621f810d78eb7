#pragma once
// Stand-in for the platform's atomic file writer until it is available.
#include <QByteArray>
#include <QString>

bool AtomicWriteFile(const QString& path, const QByteArray& data, QString* error = nullptr);
