#include <gtest/gtest.h>

#include "install/UsbLauncher.h"

TEST(UsbLauncher, ChoosesTheInstallerByArchitectureUnderTheCurrentDirectory)
{
    EXPECT_EQ("C:\\pkg\\USB Driver\\x64\\dpinstx64.exe", UsbSerialInstallerPath("C:\\pkg", HostArchitecture::X64));
    EXPECT_EQ("C:\\pkg\\USB Driver\\x86\\dpinstx86.exe", UsbSerialInstallerPath("C:\\pkg", HostArchitecture::X86));
    EXPECT_EQ("", UsbSerialInstallerPath("C:\\pkg", HostArchitecture::Arm64))
        << "an x64 kernel driver does not load on ARM64: no installer";
    EXPECT_EQ("D:\\其他\\USBdriver\\x86\\dpinst.exe", SecondUsbInstallerPath("D:\\其他"));
}

TEST(UsbLauncher, ADriveRootGetsNoSecondBackslash)
{
    EXPECT_EQ("E:\\USB Driver\\x86\\dpinstx86.exe", UsbSerialInstallerPath("E:\\", HostArchitecture::X86));
    EXPECT_EQ("E:\\USBdriver\\x86\\dpinst.exe", SecondUsbInstallerPath("E:\\"));
}
