#include "test_env.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    tralu::test::IsolateEnvironment();
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tralu"));
    return RUN_ALL_TESTS();
}
