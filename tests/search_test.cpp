// The search button, its cool-down and reset worker, and the failure count,
// driven through the headless window.
#include "search/search.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/controls.h"
#include "app/shared_state.h"
#include "app/window.h"
#include "app/workers.h"
#include "platform/headless/driver.h"
#include "tests/offline_program.h"

namespace {

using headless::Click;


Text CooldownMessage(int seconds) {
  return "\r\n\r\n搜 索 间 隔 过 短 , 请 稍 等 " + IntToText(seconds) + " 秒 后 再 搜";
}

using SearchButton = OfflineProgramTest;

TEST_F(SearchButton, RefusesAnEmptyRequest) {
  for (const Text& typed : {Text(""), Text(" "), Text("点此输入小说名称")}) {
    SetText(Control::搜索_超级按钮1, "一");
    headless::Type(typed);
    Click(Control::搜索_超级按钮);
    EXPECT_EQ(GetText(Control::提示_标签), "\r\n\r\n至 少 你 得 输 入 点 什 么 让 我 搜 吧 ?");
    EXPECT_TRUE(IsVisible(Control::提示_标签));
    EXPECT_EQ(State().SearchCooldown, 0);
    EXPECT_EQ(RunningWorkers(), 0);
    EXPECT_EQ(GetText(Control::搜索_超级按钮1), "一");  // nothing reset
  }
  // Two spaces are a search text like any other.
  headless::Type("  ");
  Click(Control::搜索_超级按钮);
  EXPECT_EQ(State().SearchCooldown.load() >= 7, true);
  EXPECT_GE(RunningWorkers(), 1);
}

TEST_F(SearchButton, CooldownRefusesWithTheSecondsLeft) {
  headless::Type("书");
  Click(Control::搜索_超级按钮);
  ASSERT_TRUE(FakeClock::WaitForSleepers(1));
  EXPECT_EQ(GetText(Control::搜索_超级按钮1), "");
  ASSERT_TRUE(headless::WaitForWorkers(1));  // only the reset worker is left
  SetText(Control::搜索_超级按钮1, "一");
  SetText(Control::小说名称_编辑框, "书名");
  for (int left = 7; left >= 1; --left) {
    EXPECT_EQ(State().SearchCooldown, left);
    Click(Control::搜索_超级按钮);
    EXPECT_EQ(GetText(Control::提示_标签), CooldownMessage(left));
    EXPECT_EQ(RunningWorkers(), 1) << "a refused search starts no worker";
    EXPECT_EQ(GetText(Control::搜索_超级按钮1), "一");
    EXPECT_EQ(GetText(Control::小说名称_编辑框), "书名");
    ASSERT_TRUE(FakeClock::AdvanceToNextSleep(1000));
  }
  // Seven seconds after the start the next search is accepted.
  EXPECT_EQ(State().SearchCooldown, 0);
  Click(Control::搜索_超级按钮);
  ASSERT_TRUE(FakeClock::WaitForSleepers(2));  // the old reset worker and the new one
  EXPECT_EQ(GetText(Control::搜索_超级按钮1), "");
}

TEST_F(SearchButton, ResetWorkerRestoresTheDefaults) {
  const ResultSlot kept{"旧书", "旧作者", "旧章", "旧简介", "7"};
  State().WriteSlot(2, kept);
  State().SelectedSlot = 2;
  for (Control b : {Control::搜索_超级按钮1, Control::搜索_超级按钮2, Control::搜索_超级按钮3,
                    Control::搜索_超级按钮4, Control::搜索_超级按钮5})
    SetText(b, "X");
  SetText(Control::小说名称_编辑框, "旧书");
  SetText(Control::小说作者_编辑框, "旧作者");
  SetText(Control::小说最新_编辑框, "旧章");
  SetText(Control::小说简介_编辑框, "旧简介");

  headless::Type("书");
  Click(Control::搜索_超级按钮);
  ASSERT_TRUE(FakeClock::WaitForSleepers(1));
  for (Control b : {Control::搜索_超级按钮1, Control::搜索_超级按钮2, Control::搜索_超级按钮3,
                    Control::搜索_超级按钮4, Control::搜索_超级按钮5})
    EXPECT_EQ(GetText(b), "");
  EXPECT_EQ(GetText(Control::小说名称_编辑框), "Lantisk");
  EXPECT_EQ(GetText(Control::小说作者_编辑框), "quendrix");
  EXPECT_EQ(GetText(Control::小说最新_编辑框), "V.1.2");
  EXPECT_EQ(GetText(Control::小说简介_编辑框), TableEntry(Control::小说简介_编辑框).text);
  // The results and the selection are not the reset worker's, and the sites'
  // workers, refused, write no slot.
  ASSERT_TRUE(headless::WaitForWorkers(1));
  EXPECT_EQ(State().ReadSlot(2).title, kept.title);
  EXPECT_EQ(State().SelectedSlot, 2);
}

TEST_F(SearchButton, StopAndSaveModes) {
  SetText(Control::搜索_超级按钮, "停止");
  SetText(Control::下载_超级按钮, "");
  SetVisible(Control::下载_图片框, true);
  SetVisible(Control::下载_标签, true);
  Click(Control::搜索_超级按钮);
  EXPECT_EQ(GetText(Control::搜索_超级按钮), "搜索");
  EXPECT_EQ(GetText(Control::下载_超级按钮), "下载");
  EXPECT_FALSE(IsVisible(Control::下载_图片框));
  EXPECT_FALSE(IsVisible(Control::下载_标签));
  EXPECT_EQ(RunningWorkers(), 0) << "stopping starts no search";

  SetText(Control::搜索_超级按钮, "保存");
  Click(Control::搜索_超级按钮);
  EXPECT_EQ(GetText(Control::搜索_超级按钮), "搜索");

  // Any other caption: a click does nothing.
  SetText(Control::搜索_超级按钮, "");
  headless::Type("书");
  Click(Control::搜索_超级按钮);
  EXPECT_EQ(RunningWorkers(), 0);
  EXPECT_EQ(State().SearchCooldown, 0);
}

TEST_F(SearchButton, ThirdFailureSinceStartSaysSo) {
  const Text ss5 = "\r\n搜 索 失 败 [S S 5]\r\n\r\n请 检 查 名 字 是 否 输 入 正 确";
  NoteSourceFailure();
  NoteSourceFailure();
  EXPECT_FALSE(IsVisible(Control::提示_标签));
  NoteSourceFailure();
  EXPECT_EQ(GetText(Control::提示_标签), ss5);
  ShowMessage("\r\n其他");
  for (int i = 0; i < 3; ++i) NoteSourceFailure();
  EXPECT_EQ(State().SearchFailures, 6);
  EXPECT_EQ(GetText(Control::提示_标签), "\r\n其他");
}

TEST_F(SearchButton, FailuresFromManyThreadsAllCount) {
  constexpr int kThreads = 8, kEach = 100;
  for (int t = 0; t < kThreads; ++t)
    StartWorker([] {
      for (int i = 0; i < kEach; ++i) NoteSourceFailure();
    });
  ASSERT_TRUE(headless::WaitForWorkers());
  EXPECT_EQ(State().SearchFailures, kThreads * kEach);
  EXPECT_EQ(GetText(Control::提示_标签),
            "\r\n搜 索 失 败 [S S 5]\r\n\r\n请 检 查 名 字 是 否 输 入 正 确");
}

}  // namespace
