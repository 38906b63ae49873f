#include <gtest/gtest.h>

#include "install/UsbLauncher.h"

TEST(UsbLauncher, ChoosesTheInstallerByArchitectureUnderTheCurrentDirectory)
{
    EXPECT_EQ("C:\\pkg\\USB Driver\\x64\\dpinstx64.exe", UsbSerialInstallerPath("C:\\pkg", true));
    EXPECT_EQ("C:\\pkg\\USB Driver\\x86\\dpinstx86.exe", UsbSerialInstallerPath("C:\\pkg", false));
    EXPECT_EQ("D:\\其他\\USBdriver\\x86\\dpinst.exe", SecondUsbInstallerPath("D:\\其他"));
}

TEST(UsbLauncher, ADriveRootGetsNoSecondBackslash)
{
    EXPECT_EQ("E:\\USB Driver\\x86\\dpinstx86.exe", UsbSerialInstallerPath("E:\\", false));
    EXPECT_EQ("E:\\USBdriver\\x86\\dpinst.exe", SecondUsbInstallerPath("E:\\"));
}
