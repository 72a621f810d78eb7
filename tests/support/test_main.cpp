#include "test_env.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    tralu::test::IsolateEnvironment();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
