#pragma once
// A fresh folder for one test, inside the isolated test home, with helpers
// that make and read entries by their path relative to it.

#include "test_env.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace tralu::test {

class TempFolderTest : public testing::Test {
protected:
    QTemporaryDir dir_{QString::fromStdString(TestHome()) + QStringLiteral("/test-XXXXXX")};

    QString Path(const QString& rel) const { return dir_.path() + QLatin1Char('/') + rel; }
    void MakeDir(const QString& rel) const { ASSERT_TRUE(QDir().mkpath(Path(rel))); }
    void Write(const QString& rel, const QByteArray& data = "x") const {
        QFile f(Path(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << rel.toStdString();
        f.write(data);
    }
    QByteArray Read(const QString& rel) const {
        QFile f(Path(rel));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // A symbolic link at rel leading to target.
    void Link(const QString& target, const QString& rel) const {
        ASSERT_EQ(symlink(QFile::encodeName(target).constData(),
                          QFile::encodeName(Path(rel)).constData()),
                  0);
    }
};

} // namespace tralu::test
