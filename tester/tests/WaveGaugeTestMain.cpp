// The force wave and steering gauge tests run with the program's application object, as the
// dialog expects.
#include <gtest/gtest.h>

#include "Forms.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    Application->Initialize();
    return RUN_ALL_TESTS();
}
