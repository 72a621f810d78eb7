#include "test_env.h"

#include "framework/qv_application.h"
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    tralu::test::IsolateEnvironment();
    testing::InitGoogleTest(&argc, argv);
    TqvApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tralu"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tralu"));
    return RUN_ALL_TESTS();
}
