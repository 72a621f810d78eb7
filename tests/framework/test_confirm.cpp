#include "framework/qv_confirm.h"
#include "framework/qv_tools.h"
#include "test_env.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

TEST(Confirm, BoxHasTitleButtonsAndIcon) {
    const auto box = MakeConfirmBox(QStringLiteral("Delete \"x\"?"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Confirmation"));
    EXPECT_EQ(box->text(), QStringLiteral("Delete \"x\"?"));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
}

TEST(Confirm, AnswerIsTheButtonPressed) {
    // The box runs for real; a timer presses a button in it.
    for (const auto& [button, expected] :
         {std::pair{QMessageBox::Ok, true}, std::pair{QMessageBox::Cancel, false}}) {
        bool pressed = false;
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&, button = button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && !pressed) {
                pressed = true;
                box->button(button)->click();
            }
        });
        timer.start();
        EXPECT_EQ(Confirm(QStringLiteral("Go on?")), expected);
        EXPECT_TRUE(pressed);
    }
}

TEST(Confirm, ShellOperationsAskThroughConfirm) {
    QTemporaryDir dir(QString::fromStdString(tralu::test::TestHome()) +
                      QStringLiteral("/confirm-XXXXXX"));
    const QString file = dir.filePath(QStringLiteral("song.mp3"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    InstallShellConfirmation();
    QStringList asked;
    bool answer = false;
    SetConfirmHook([&](const QString& message) {
        asked << message;
        return answer;
    });
    EXPECT_FALSE(ShellDelete(file, true, true));
    EXPECT_TRUE(QFileInfo::exists(file));
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].contains(file));
    EXPECT_TRUE(ShellDelete(file, false, false)); // not asked
    EXPECT_EQ(asked.size(), 1);
    SetConfirmHook({});
    SetShellConfirmation({});
}

} // namespace
