#include "kit/platform/TrunePaths.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

TEST(TrunePathsTest, ApplicationSupportFollowsTheUserDataHome)
{
    TempHome home;
    EXPECT_EQ(TrunePaths::homeDirectory(), home.path());
    EXPECT_EQ(TrunePaths::applicationSupportDirectory(), home.dataHome());
}

TEST(TrunePathsTest, ApplicationSupportDefaultsBelowHomeWithoutXdgDataHome)
{
    TempHome home;
    qunsetenv("XDG_DATA_HOME");
    // Qt falls back to ~/.local/share, which is still below the user's home.
    EXPECT_TRUE(TrunePaths::applicationSupportDirectory().startsWith(home.path()));
}
