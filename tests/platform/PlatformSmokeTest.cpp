#include <gtest/gtest.h>

TEST(PlatformSmoke, Links)
{
    SUCCEED();
}
