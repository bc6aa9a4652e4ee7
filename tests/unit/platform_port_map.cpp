#include <gtest/gtest.h>

#include <string>

#include "platform/port_map.h"
#include "platform_temp.h"
#include "support/fakes.h"

namespace {

using platformtest::ScopedEnv;

TEST(PortMap, PortNumberOfName) {
    struct Case {
        const char* name;
        int number;
    };
    const Case cases[] = {
        {"COM1", 1},          {"COM9", 9},
        {"COM10", 10},        {"COM30", 30},
        {"COM31", 0},         {"COM0", 0},
        {"COM01", 0},         {"COM", 0},
        {"com1", 0},          {"COM1x", 0},
        {"COM-1", 0},         {" COM1", 0},
        {"COM123", 0},        {"", 0},
        {"\\\\.\\COM10", 10}, {"\\\\.\\COM30", 30},
        {"\\\\.\\COM9", 0},   {"\\\\.\\COM31", 0},
        {"\\\\.\\COM", 0},    {"\\.\\COM12", 0},
        {"\\\\.\\COM012", 0}, {"/dev/ttyS0", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(kdm::PortNumberOfName(c.name), c.number) << c.name;
}

TEST(PortMap, PortDirectoryDecidesWhenSet) {
    ScopedEnv dir("KDMXP_PORT_DIR", "/tmp/ports");
    kdmtest::MemorySettingsStore store;
    kdm::PortMap map(&store);
    // A mapping in the store does not count while the directory decides.
    store.CreateKey(kdm::kPortMapKey, false);
    store.WriteValue(kdm::kPortMapKey, "COM3", kdm::TextValue("/dev/ttyUSB0"));
    EXPECT_TRUE(map.UsesPortDirectory());
    EXPECT_EQ(map.DevicePathOf("COM3"), "/tmp/ports/COM3");
    EXPECT_EQ(map.DevicePathOf("\\\\.\\COM12"), "/tmp/ports/COM12");
    EXPECT_EQ(map.DevicePathOf("COM31"), "");
    EXPECT_FALSE(map.SetMapping(4, "/dev/ttyUSB1"));
    kdm::StoredValue value;
    EXPECT_FALSE(store.ReadValue(kdm::kPortMapKey, "COM4", value));
}

TEST(PortMap, StoredMappingsOverTheDefaultRule) {
    ScopedEnv dir("KDMXP_PORT_DIR", std::nullopt);
    kdmtest::MemorySettingsStore store;
    kdm::PortMap map(&store);
    EXPECT_FALSE(map.UsesPortDirectory());
    EXPECT_EQ(map.DevicePathOf("COM1"), "/dev/ttyS0");
    EXPECT_EQ(map.DevicePathOf("COM30"), "/dev/ttyS29");
    EXPECT_EQ(map.DevicePathOf("nonsense"), "");

    EXPECT_TRUE(map.SetMapping(3, "/dev/ttyUSB0"));
    EXPECT_FALSE(store.keys[std::string(kdm::kPortMapKey)].isVolatile);
    EXPECT_EQ(map.DevicePathOf("COM3"), "/dev/ttyUSB0");
    EXPECT_EQ(map.DevicePathOf("COM4"), "/dev/ttyS3");
    // An empty path brings the default back.
    EXPECT_TRUE(map.SetMapping(3, ""));
    EXPECT_EQ(map.DevicePathOf("COM3"), "/dev/ttyS2");

    EXPECT_FALSE(map.SetMapping(0, "/dev/x"));
    EXPECT_FALSE(map.SetMapping(31, "/dev/x"));
    EXPECT_FALSE(map.SetMapping(5, std::string("/dev/x\0y", 8)));
    // Values that are not a usable path are ignored.
    store.WriteValue(kdm::kPortMapKey, "COM6", kdm::NumberValue(7));
    store.WriteValue(kdm::kPortMapKey, "COM7", kdm::TextValue(std::string("/dev/a\0b", 8)));
    EXPECT_EQ(map.DevicePathOf("COM6"), "/dev/ttyS5");
    EXPECT_EQ(map.DevicePathOf("COM7"), "/dev/ttyS6");

    kdm::PortMap bare(nullptr);
    EXPECT_EQ(bare.DevicePathOf("COM3"), "/dev/ttyS2");
    EXPECT_FALSE(bare.SetMapping(3, "/dev/ttyUSB0"));
}

TEST(PortMap, EmptyPortDirectoryCountsAsUnset) {
    ScopedEnv dir("KDMXP_PORT_DIR", "");
    kdm::PortMap map(nullptr);
    EXPECT_FALSE(map.UsesPortDirectory());
    EXPECT_EQ(map.DevicePathOf("COM2"), "/dev/ttyS1");
}

}  // namespace
