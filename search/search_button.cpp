// The search button in its three modes, the reset worker and the failure counter.
#include "app/controls.h"
#include "app/shared_state.h"
#include "app/window.h"
#include "app/workers.h"
#include "save/save.h"
#include "search/search.h"

const char* const kMessageNothingTyped = "\r\n\r\n至 少 你 得 输 入 点 什 么 让 我 搜 吧 ?";
const char* const kMessageSearching = "\r\n\r\n正 在 搜 索 中 , 请 稍 等 . . .";
const char* const kMessageSearchFailedSS5 =
    "\r\n搜 索 失 败 [S S 5]\r\n\r\n请 检 查 名 字 是 否 输 入 正 确";

namespace {

constexpr int kCooldownSeconds = 8;

void StartSearch() {
  const Text text = GetText(Control::搜索_编辑框);
  if (text.empty() || text == kSearchPlaceholder || text == " ") {
    ShowMessage(kMessageNothingTyped);
    return;
  }
  SharedState& state = State();
  if (const int32_t left = state.SearchCooldown.load(); left != 0) {
    ShowMessage("\r\n\r\n搜 索 间 隔 过 短 , 请 稍 等 " + IntToText(left) + " 秒 后 再 搜");
    return;
  }
  state.SearchCooldown = kCooldownSeconds;
  StartWorker(ResetWorker);
  ShowMessage(kMessageSearching);
  StartWorker(SourceASearchWorker);
  StartWorker(SourceBSearchWorker);
  StartWorker(SourceCSearchWorker);
}

void StopDownload() {
  SetText(Control::搜索_超级按钮, "搜索");
  SetText(Control::下载_超级按钮, "下载");
  SetVisible(Control::下载_图片框, false);
  SetVisible(Control::下载_标签, false);
}

}  // namespace

void SearchButtonClicked() {
  const Text mode = GetText(Control::搜索_超级按钮);
  if (mode == "搜索") {
    StartSearch();
  } else if (mode == "停止") {
    StopDownload();
  } else if (mode == "保存") {
    SaveBook();
    SetText(Control::搜索_超级按钮, "搜索");
  }
}

void ResetWorker() {
  for (Control c : {Control::搜索_超级按钮1, Control::搜索_超级按钮2, Control::搜索_超级按钮3,
                    Control::搜索_超级按钮4, Control::搜索_超级按钮5})
    SetText(c, "");
  SetText(Control::小说名称_编辑框, kDefaultTitle);
  SetText(Control::小说作者_编辑框, kDefaultAuthor);
  SetText(Control::小说最新_编辑框, kDefaultVersion);
  SetText(Control::小说简介_编辑框, kDisclaimer);
  SharedState& state = State();
  for (int i = 0; i < kCooldownSeconds; ++i) {
    --state.SearchCooldown;
    SleepMs(1000);
  }
}

void NoteSourceFailure() {
  // Raised atomically: two sites failing at the same moment both count.
  if (++State().SearchFailures == 3) ShowMessage(kMessageSearchFailedSS5);
}

Text CleanSynopsis(const Text& synopsis) {
  return TextReplaceMany(synopsis, {{" ", ""}, {"　", ""}, {"<br/>", "\r\n"}, {"&nbsp;", ""}, {"</div>", ""}});
}
