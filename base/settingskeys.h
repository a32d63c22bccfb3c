// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every entry the player keeps in its settings store: the application name it
// lives under, its section, its key and the text read while it is missing.
// Settings::value() and Settings::store() take these, so each key and its
// default are written down once.
struct SettingKey {
    enum class Scope {
        Shared,  // the fixed name "Liravo", the same for every copy of the program
        Program, // the running executable's base name
    };
    Scope scope;
    const char *section;
    const char *name;
    const char *fallback; // UTF-8
};

namespace SettingKeys {
using enum SettingKey::Scope;

inline constexpr SettingKey playMode{Shared, "设置", "播放模式", "列表播放"};
// The main window falls back to "Liravo"; the song list window, which puts
// its own words after the caption, to songListTopCaptionFallback.
inline constexpr SettingKey topCaption{Program, "设置", "顶部标题", "Liravo"};
inline constexpr char songListTopCaptionFallback[] = "Liravo音乐播放器";
inline constexpr SettingKey fontColor{Program, "设置", "字体颜色", "255"};
inline constexpr SettingKey backColor{Program, "设置", "背景颜色", "0"};
inline constexpr SettingKey volume{Shared, "设置", "音量", "80"};
inline constexpr SettingKey firstRun{Shared, "设置", "firstRun", "True"};
// ReplayGain: "关闭" (no filter at all), "单曲" (each song's gain) or "专辑"
// (its album's); the gain of untagged songs and the pre-amp added to every
// gain, both in dB.
inline constexpr SettingKey replayGain{Shared, "设置", "音量均衡", "关闭"};
inline constexpr SettingKey replayGainPreamp{Shared, "设置", "均衡前置增益", "0"};
inline constexpr SettingKey replayGainFallback{Shared, "设置", "均衡默认增益", "0"};
// When a new song is told on the desktop: "隐藏时" (while the main window is
// hidden), "总是" or "从不"; any other text counts as the default.
inline constexpr SettingKey songNotifications{Shared, "设置", "歌曲通知", "隐藏时"};
// A start without a file reopens where the user left off: "暂停" (paused
// there), "播放" (playing from there) or "不恢复" (as if there were no session).
inline constexpr SettingKey resumeAtStart{Shared, "设置", "启动时", "暂停"};

inline constexpr SettingKey lastCollectionPath{Shared, "歌集", "最后的歌集地址", ""};
// Written on every play, never read back.
inline constexpr SettingKey lastPlayPosition{Shared, "歌集", "最后的播放位置", ""};

inline constexpr SettingKey currentVersion{Shared, "版本更新", "当前版本", "0"};

// The single-copy hand-off; only HandOff uses these.
inline constexpr SettingKey handOffFile{Shared, "程序多开", "歌曲文件", ""};
inline constexpr SettingKey handOffShow{Shared, "程序多开", "show", "false"};
inline constexpr SettingKey handOffHandle{Shared, "程序多开", "句柄", "0"};

// Hosts: empty means there is no such site.
inline constexpr SettingKey makerSite{Shared, "网站", "主页", ""};
inline constexpr SettingKey makerBlog{Shared, "网站", "博客", ""};

// Desktop lyrics: shown or not, click-through, font size in pixels, text
// colour (red in the low byte, as the other colours), and where its top-left
// corner was left (-1: centred near the bottom of the screen).
inline constexpr SettingKey desktopLyricsShown{Shared, "歌词", "桌面歌词", "False"};
inline constexpr SettingKey desktopLyricsLocked{Shared, "歌词", "锁定", "False"};
inline constexpr SettingKey desktopLyricsFontSize{Shared, "歌词", "字号", "32"};
inline constexpr SettingKey desktopLyricsColor{Shared, "歌词", "颜色", "16766720"};
inline constexpr SettingKey desktopLyricsX{Shared, "歌词", "位置X", "-1"};
inline constexpr SettingKey desktopLyricsY{Shared, "歌词", "位置Y", "-1"};

inline constexpr SettingKey searchHost{Shared, "网络", "搜索主机", "wap.sogou.com"};
inline constexpr SettingKey lookupHost{Shared, "网络", "查询主机", "box.zhangmen.baidu.com"};
inline constexpr SettingKey httpTimeoutMs{Shared, "网络", "超时毫秒", "15000"};
inline constexpr SettingKey searchLimitMs{Shared, "网络", "搜索总毫秒", "60000"};
inline constexpr SettingKey maxReplyBytes{Shared, "网络", "应答上限字节", "4194304"};
} // namespace SettingKeys
