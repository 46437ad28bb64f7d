// main() of the language tests: the program takes its language as the
// viewers do first thing, with the build tree's catalogues; CTest runs it
// under LC_ALL=ru_RU.UTF-8.
#include <gtest/gtest.h>

#include "runtime/translation.h"

int main(int argc, char** argv) {
    orn::use_users_language(ORN_BUILD_LOCALE_DIR);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
