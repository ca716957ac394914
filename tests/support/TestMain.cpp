// Entry of every test program: runs a child function when asked, the tests otherwise.
#include "Processes.h"
#include "ScriptedEnvironment.h"

#include "platform/ComTypes.h"

#include <gtest/gtest.h>

// Offers the scripted environment to the component's DLL when a test loads it.
extern "C" __declspec(dllexport) marlin::IEnvironment* MarlinToolbarTestEnvironment()
{
    return &marlin::test::ScriptedEnvironment::Instance();
}

int main(int argc, char** argv)
{
    int exitCode = 0;
    if (marlin::test::RunChildIfAsked(exitCode)) return exitCode;
    marlin::ComInitScope com;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
