#pragma once
// The set-up the main window's tests share: the framework texts, a
// temporary folder holding the settings file (TRALU_SETTINGS), the settings
// context and the language manager, the window itself, and readable
// failure messages for Qt strings.  Header only: each test program links
// the window's library itself.
#include "app/cx_fmain.h"
#include "framework/qv_application.h"
#include "framework/qv_confirm.h"
#include "framework/qv_contexte.h"
#include "framework/qv_language.h"
#include "framework/qv_str.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSize>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{';
    for (const QString& s : l)
        *os << '"' << s.toStdString() << "\" ";
    *os << '}';
}

namespace tralu::test {

class GuiFixture : public ::testing::Test {
protected:
    void SetUp() override {
        static bool framework = false;
        if (!framework) {
            qv_str::AppendFrameworkTexts();
            OnceForProgram();
            framework = true;
        }
        ASSERT_TRUE(dir.isValid());
        settingsFile = dir.filePath(QStringLiteral("user.reg"));
        qputenv("TRALU_SETTINGS", settingsFile.toUtf8());
        contexte = std::make_unique<TqvContexte>();
        language = std::make_unique<TqvLanguage>();
    }
    void TearDown() override {
        window.reset();
        language.reset();
        contexte.reset();
        SetErrorSink({});
        SetConfirmHook({});
    }
    // Set-up a test program needs once, after the framework texts.
    virtual void OnceForProgram() {}

    // The error messages the window shows go to `errors` from now on.
    void CollectErrors() {
        SetErrorSink([this](const QString&, const QString& message) { errors << message; });
    }

    // Creates and shows the window (at the size given, if any) and waits
    // until it is exposed.
    TFrmCrateboxMain& OpenWindow(QSize size = {}) {
        window = std::make_unique<TFrmCrateboxMain>();
        if (size.isValid())
            window->resize(size);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }

    // Writes a file, making its folder as needed.
    static void WriteFile(const QString& path, const QByteArray& bytes = {}) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    }
    // The file's bytes; empty when it cannot be read.
    static QByteArray ReadFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QString settingsFile;
    QStringList errors;
    std::unique_ptr<TqvContexte> contexte;
    std::unique_ptr<TqvLanguage> language;
    std::unique_ptr<TFrmCrateboxMain> window;
};

} // namespace tralu::test
