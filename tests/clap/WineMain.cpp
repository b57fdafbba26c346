// The CLAP tests' program for Windows, run under Wine: the plug-in to load comes as the first
// argument (a Windows path).
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2)
        return 2;
    _putenv_s("VRN07_CLAP_PLUGIN", argv[1]);
    return RUN_ALL_TESTS();
}
