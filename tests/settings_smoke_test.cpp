#include "platform/memorysettingsbackend.h"

#include <gtest/gtest.h>

TEST(MemorySettingsBackend, MissingThenStored)
{
    MemorySettingsBackend b;
    EXPECT_FALSE(b.read("Liravo", "设置", "播放模式").has_value());
    b.write("Liravo", "设置", "播放模式", "列表循环");
    EXPECT_EQ(b.read("Liravo", "设置", "播放模式").value(), QString("列表循环"));
    b.write("Liravo", "设置", "播放模式", "");
    ASSERT_TRUE(b.read("Liravo", "设置", "播放模式").has_value());
    EXPECT_TRUE(b.read("Liravo", "设置", "播放模式")->isEmpty());
}
