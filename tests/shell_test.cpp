// The application shell through the headless window: the window's initial
// state, the result buttons and the small window behaviours, the settings.
#include <gtest/gtest.h>

#include <cstring>

#include "app/controls.h"
#include "app/settings.h"
#include "app/shared_state.h"
#include "app/shell.h"
#include "app/window.h"
#include "platform/headless/driver.h"
#include "search/search.h"
#include "tests/offline_program.h"
#include "tests/sites.h"

namespace {

using headless::Click;


class Shell : public OfflineProgramTest {
 protected:
  // What a search leaves behind: a filled slot and its button's mark.
  static void OfferSlot(int n, Control button, const Text& mark, const ResultSlot& slot) {
    State().WriteSlot(n, slot);
    SetText(button, mark);
  }
};

TEST_F(Shell, WindowStartsAsTheTableSays) {
  for (int i = 0; i < kControlCount; ++i) {
    const Control c = static_cast<Control>(i);
    EXPECT_EQ(IsVisible(c), TableEntry(c).visible) << TableEntry(c).name;
    EXPECT_EQ(GetText(c), TableEntry(c).text) << TableEntry(c).name;
  }
  for (Control hidden : {Control::图片框1, Control::提示_标签, Control::下载_图片框, Control::下载_标签})
    EXPECT_FALSE(IsVisible(hidden));
  EXPECT_EQ(GetText(Control::搜索_编辑框), "点此输入小说名称");
  EXPECT_EQ(GetText(Control::搜索_超级按钮), "搜索");
  EXPECT_EQ(GetText(Control::小说最新_编辑框), "V.1.2");
  EXPECT_EQ(GetTextColor(Control::小说最新_编辑框), kColorDefault);
  EXPECT_EQ(GetWidth(Control::下载_图片框), 238);
  SharedState& s = State();
  EXPECT_EQ(s.SelectedSlot, 0);
  EXPECT_EQ(s.SearchCooldown, 0);
  EXPECT_EQ(s.SearchFailures, 0);
  EXPECT_EQ(s.ChapterUrls.Count(), 0);
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(s.ResultTitles[i], "");
    EXPECT_EQ(s.DownloadCounters[i], 0);
  }
  EXPECT_EQ(s.ResultTitles[0], "");  // outside the array: empty, never a crash
  EXPECT_EQ(s.ResultTitles[6], "");
}

TEST_F(Shell, ResultButtonsActOnlyWithTheirMark) {
  // Before any search nothing changes.
  for (Control b : {Control::搜索_超级按钮1, Control::搜索_超级按钮2, Control::搜索_超级按钮3,
                    Control::搜索_超级按钮4, Control::搜索_超级按钮5})
    Click(b);
  EXPECT_EQ(GetText(Control::小说名称_编辑框), "Lantisk");
  EXPECT_EQ(State().SelectedSlot, 0);

  OfferSlot(5, Control::搜索_超级按钮5, "一", {"书名", "作者甲", "第十章", "简介", "1234"});
  SetTextColor(Control::小说最新_编辑框, kColorRed);
  ShowMessage("\r\n消息");
  Click(Control::搜索_超级按钮5);
  EXPECT_EQ(GetText(Control::小说名称_编辑框), "书名");
  EXPECT_EQ(GetText(Control::小说作者_编辑框), "作者甲");
  EXPECT_EQ(GetText(Control::小说最新_编辑框), "第十章");
  EXPECT_EQ(GetText(Control::小说简介_编辑框), "简介");
  EXPECT_EQ(State().SelectedSlot, 5);
  // The message and the red colour stay as they were.
  EXPECT_TRUE(IsVisible(Control::提示_标签));
  EXPECT_EQ(GetText(Control::提示_标签), "\r\n消息");
  EXPECT_EQ(GetTextColor(Control::小说最新_编辑框), kColorRed);

  // Button 4 answers to "二" only; "一" on it does nothing.
  OfferSlot(4, Control::搜索_超级按钮4, "一", {"四", "", "", "", ""});
  Click(Control::搜索_超级按钮4);
  EXPECT_EQ(GetText(Control::小说名称_编辑框), "书名");
  EXPECT_EQ(State().SelectedSlot, 5);

  // An offered slot that holds nothing shows three empty texts and the
  // no-synopsis text, and is still selected.
  OfferSlot(4, Control::搜索_超级按钮4, "二", {});
  Click(Control::搜索_超级按钮4);
  EXPECT_EQ(GetText(Control::小说名称_编辑框), "");
  EXPECT_EQ(GetText(Control::小说作者_编辑框), "");
  EXPECT_EQ(GetText(Control::小说最新_编辑框), "");
  EXPECT_EQ(GetText(Control::小说简介_编辑框),
            "\r\n\r\n\r\n         ————— 暂 无 简 介 —————");
  EXPECT_EQ(GetText(Control::小说简介_编辑框).substr(6, 11), "         \xA1\xAA");
  EXPECT_EQ(State().SelectedSlot, 4);
}

TEST_F(Shell, EveryResultButtonHasItsMark) {
  const struct {
    int slot;
    Control button;
    const char* mark;
  } buttons[] = {{1, Control::搜索_超级按钮1, "一"}, {2, Control::搜索_超级按钮2, "二"},
                 {3, Control::搜索_超级按钮3, "三"}, {4, Control::搜索_超级按钮4, "二"},
                 {5, Control::搜索_超级按钮5, "一"}};
  for (const auto& b : buttons) {
    OfferSlot(b.slot, b.button, b.mark, {"标题" + IntToText(b.slot), "", "", "", ""});
    Click(b.button);
    EXPECT_EQ(GetText(Control::小说名称_编辑框), "标题" + IntToText(b.slot));
    EXPECT_EQ(State().SelectedSlot, b.slot);
  }
}

TEST_F(Shell, SearchBoxPlaceholder) {
  const struct {
    Text typed;
    Text after_leaving;
  } cases[] = {
      {"", "点此输入小说名称"},
      {" ", "点此输入小说名称"},
      {"  ", "  "},
      {"斗破", "斗破"},
  };
  for (const auto& c : cases) {
    headless::Focus(Control::搜索_编辑框);
    EXPECT_EQ(GetText(Control::搜索_编辑框), "") << "focus empties the placeholder";
    headless::Type(c.typed);
    headless::Unfocus();
    EXPECT_EQ(GetText(Control::搜索_编辑框), c.after_leaving) << c.typed;
    if (c.after_leaving != "点此输入小说名称") {
      // A text of the user's own stays when the box is focused again.
      headless::Focus(Control::搜索_编辑框);
      EXPECT_EQ(GetText(Control::搜索_编辑框), c.after_leaving);
      headless::Type("");
      headless::Unfocus();
    }
  }
}

TEST_F(Shell, WheelPostsOneArrowKeyPerEvent) {
  const struct {
    int raw_delta;
    uintptr_t key;
  } cases[] = {{120, kVkUp}, {-120, kVkDown}, {-240, kVkUp}, {240, kVkUp}, {60, kVkUp}, {-60, kVkUp}};
  for (const auto& c : cases) headless::Wheel(Control::小说简介_编辑框, c.raw_delta);
  const auto posted = headless::PostedMessages();
  ASSERT_EQ(posted.size(), std::size(cases));
  for (size_t i = 0; i < posted.size(); ++i) {
    EXPECT_EQ(posted[i].handle, GetNativeHandle(Control::小说简介_编辑框));
    EXPECT_EQ(posted[i].message, 0x0100u);
    EXPECT_EQ(posted[i].wparam, cases[i].key) << cases[i].raw_delta;
    EXPECT_EQ(posted[i].lparam, 0);
  }
  // Other controls are not bound to the wheel.
  headless::Wheel(Control::小说名称_编辑框, -120);
  EXPECT_EQ(headless::PostedMessages().size(), std::size(cases));
}

TEST_F(Shell, TitleStripDragsAndCloseButtonCloses) {
  headless::PressLeftButton(Control::窗口移动_标签);
  const auto sent = headless::SentMessages();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].message, 0x00A1u);
  EXPECT_EQ(sent[0].wparam, 2u);
  EXPECT_EQ(sent[0].lparam, 0);
  EXPECT_FALSE(headless::WindowDestroyed());
  Click(Control::窗口位置_销毁);
  EXPECT_TRUE(headless::WindowDestroyed());
}

TEST_F(Shell, PointerOverTheMessageHidesIt) {
  ShowMessage("\r\n\r\n提示");
  EXPECT_TRUE(IsVisible(Control::提示_标签));
  headless::MoveOver(Control::标签1);
  EXPECT_TRUE(IsVisible(Control::提示_标签));
  headless::MoveOver(Control::提示_标签);
  EXPECT_FALSE(IsVisible(Control::提示_标签));
  EXPECT_EQ(GetText(Control::提示_标签), "\r\n\r\n提示");
}

TEST_F(Shell, EnterActsAsTheSearchButtonInEveryMode) {
  headless::Type("书");
  headless::PressKey(Control::搜索_编辑框, 'A');
  EXPECT_FALSE(IsVisible(Control::提示_标签));
  EXPECT_EQ(State().SearchCooldown, 0);

  // Search mode: the search starts (the cool-down runs on the test's clock).
  headless::PressKey(Control::搜索_编辑框, 13);
  ASSERT_TRUE(FakeClock::WaitForSleepers(1));
  EXPECT_EQ(State().SearchCooldown, 7);

  // Stop mode: the download display goes away.
  SetText(Control::搜索_超级按钮, "停止");
  SetText(Control::下载_超级按钮, "");
  SetVisible(Control::下载_图片框, true);
  SetVisible(Control::下载_标签, true);
  headless::PressKey(Control::搜索_编辑框, 13);
  EXPECT_EQ(GetText(Control::搜索_超级按钮), "搜索");
  EXPECT_EQ(GetText(Control::下载_超级按钮), "下载");
  EXPECT_FALSE(IsVisible(Control::下载_图片框));
  EXPECT_FALSE(IsVisible(Control::下载_标签));

  // Save mode: back to search mode once the save returns.
  SetText(Control::搜索_超级按钮, "保存");
  headless::PressKey(Control::搜索_编辑框, 13);
  EXPECT_EQ(GetText(Control::搜索_超级按钮), "搜索");
}

TEST(Settings, EnvironmentOverridesTheHosts) {
  LoadSettings([](const char* name) -> const char* {
    if (std::strcmp(name, "LANTISK_SOURCEB_HOST") == 0) return "127.0.0.1:8443";
    if (std::strcmp(name, "LANTISK_UPDATE_HOST") == 0) return "";
    return nullptr;
  });
  const Settings overridden = CurrentSettings();
  LoadSettings([](const char*) -> const char* { return nullptr; });
  const Settings defaults = CurrentSettings();
  EXPECT_EQ(overridden.source_b_host, "127.0.0.1:8443");
  EXPECT_EQ(overridden.source_a_host, defaults.source_a_host);
  EXPECT_EQ(overridden.update_host, defaults.update_host);  // empty keeps the default
  EXPECT_FALSE(defaults.source_c_host.empty());
}

const char* UpdateSiteOnly(const char* name) {
  static const std::string host = SiteHost("update");
  if (std::strcmp(name, "LANTISK_UPDATE_HOST") == 0) return host.c_str();
  return std::strncmp(name, "LANTISK_", 8) == 0 ? "127.0.0.1:1" : nullptr;
}

TEST(StartupNotice, ShowsTheCountAndANewerVersion) {
  if (SiteHost("update").empty()) GTEST_SKIP() << "the test sites are not running";
  const struct {
    const char* variant;
    Text message;  // empty: 提示_标签 stays hidden
    Text latest;
    uint32_t color;
  } cases[] = {
      {"same", "\r\n\r\n软 件 已 被 使 用 ：1024 次", "V.1.2", kColorDefault},
      {"newer", "\r\n\r\n软 件 已 被 使 用 ：1024 次", "发现新版：V.1.3", kColorRed},
      {"case", "\r\n\r\n软 件 已 被 使 用 ：77 次", "发现新版：v.1.2", kColorRed},
      {"version-only", "", "发现新版：V.2.0", kColorRed},
      {"count-only", "\r\n\r\n软 件 已 被 使 用 ：５０ 次", "V.1.2", kColorDefault},
      {"default", "", "V.1.2", kColorDefault},  // a page without the markers
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.variant);
    SetSiteVariant("update", c.variant);
    ClearSiteLog("update");
    headless::StartProgram(UpdateSiteOnly);
    EXPECT_EQ(SiteLog("update"), std::vector<std::string>{"GET /pzwj/txtyz.php HTTP/1.1"});
    EXPECT_EQ(IsVisible(Control::提示_标签), !c.message.empty());
    if (!c.message.empty()) {
      EXPECT_EQ(GetText(Control::提示_标签), c.message);
    }
    EXPECT_EQ(GetText(Control::小说最新_编辑框), c.latest);
    EXPECT_EQ(GetTextColor(Control::小说最新_编辑框), c.color);
    EXPECT_EQ(State().SearchCooldown, 0);
  }
  SetSiteVariant("update", "default");
}

TEST(StartupNotice, RedStaysForEveryLaterLatestChapter) {
  if (SiteHost("update").empty()) GTEST_SKIP() << "the test sites are not running";
  SetSiteVariant("update", "newer");
  headless::StartProgram(UpdateSiteOnly);
  SetSiteVariant("update", "default");
  State().WriteSlot(5, {"书", "", "第一章", "", "3"});
  SetText(Control::搜索_超级按钮5, "一");
  Click(Control::搜索_超级按钮5);
  EXPECT_EQ(GetText(Control::小说最新_编辑框), "第一章");
  EXPECT_EQ(GetTextColor(Control::小说最新_编辑框), kColorRed);
}

TEST(StartupNotice, NoNetworkShowsNothing) {
  headless::StartProgram(UnreachableSites);
  EXPECT_FALSE(IsVisible(Control::提示_标签));
  EXPECT_EQ(GetText(Control::小说最新_编辑框), "V.1.2");
  EXPECT_EQ(GetTextColor(Control::小说最新_编辑框), kColorDefault);
}

}  // namespace
