#include "console/FloatForm.h"

#include <gtest/gtest.h>

TEST(ConsoleSmoke, FloatingWindowExists)
{
    TForm7 form;
    EXPECT_FALSE(form.isVisible());
}
