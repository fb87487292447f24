// The "drive" of a path: the longest mount point holding it.
#include "platform/mounts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/test_environment.h"

namespace veltrix::platform {
namespace {

using std::filesystem::path;
using ::testing::ElementsAre;

constexpr char kMountInfo[] =
    "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
    "40 22 8:17 / /media/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
    "41 22 8:18 / /mnt/usb rw - vfat /dev/sdc1 rw\n"
    "short line\n"
    "42 22 0:5 / relative rw - tmpfs none rw\n";

TEST(MountsTest, ParsesMountPointsWithTheirEscapesDecoded) {
    EXPECT_THAT(ParseMountPoints(kMountInfo),
                ElementsAre(path("/"), path("/media/USB STICK"), path("/mnt/usb")));
    EXPECT_EQ(DecodeMountField("a\\011b\\134c\\0"), "a\tb\\c\\0");
}

TEST(MountsTest, TheLongestMountPointHoldingThePathByWholeElements) {
    const auto points = ParseMountPoints(kMountInfo);
    EXPECT_EQ(LongestMountHolding(points, "/media/USB STICK/Backup/x"), path("/media/USB STICK"));
    EXPECT_EQ(LongestMountHolding(points, "/mnt/usb"), path("/mnt/usb"));
    EXPECT_EQ(LongestMountHolding(points, "/mnt/usb2/x"), path("/"));
    EXPECT_EQ(LongestMountHolding({path("/mnt/usb")}, "/home"), std::nullopt);
}

TEST(MountsTest, AFolderDeclaredAMountPointHoldsWhatIsBelowIt) {
    test::TempFolder temp;
    const auto device = std::filesystem::weakly_canonical(temp.Path()) / "device";
    std::filesystem::create_directories(device);
    EXPECT_NE(MountPointOf(device / "Backup"), device);
    test::ScopedEnv extra(kExtraMountPointsVariable, "/nowhere:" + device.string());
    EXPECT_EQ(MountPointOf(device / "Backup" / ".." / "Other"), device);
    EXPECT_EQ(MountPointOf("relative/path"), std::nullopt);
    EXPECT_EQ(MountPointOf(""), std::nullopt);
}

}  // namespace
}  // namespace veltrix::platform
