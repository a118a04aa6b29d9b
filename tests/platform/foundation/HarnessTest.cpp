#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

#include <QDir>
#include <QStandardPaths>

// The harness itself: no test may reach the real user's folders.
TEST(TestHarness, UserFoldersLieInsideTheTemporaryHome)
{
    const QString home = quillory::test::homeFolder();
    ASSERT_FALSE(home.isEmpty());
    EXPECT_EQ(QDir::homePath(), home);
    EXPECT_TRUE(home.startsWith(QDir::tempPath()));
    EXPECT_TRUE(QStandardPaths::isTestModeEnabled());
    for (auto location : {QStandardPaths::AppConfigLocation, QStandardPaths::AppDataLocation,
                          QStandardPaths::GenericConfigLocation}) {
        EXPECT_TRUE(QStandardPaths::writableLocation(location).startsWith(home))
            << qPrintable(QStandardPaths::writableLocation(location));
    }
}
