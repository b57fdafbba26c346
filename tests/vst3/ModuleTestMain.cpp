// The module test as a program of its own, for the Windows builds under Wine: the module to
// load is its argument.
#include "tests/vst3/Vst3Host.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s VRN-07.vst3-MODULE\n", argv[0]);
        return 2;
    }
    testModulePath() = argv[1];
    return RUN_ALL_TESTS();
}
