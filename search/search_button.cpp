// The search button in its three modes, the reset worker and the failure counter.
#include <condition_variable>
#include <mutex>

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

// Orders each search's writes: its reset worker empties the result marks and
// restores the default texts before any of its site workers writes a mark or
// a text, however the threads are scheduled.
struct ResetGate {
  std::mutex mutex;
  std::condition_variable done;
  long long started = 0;  // searches started
  long long reset = 0;    // the latest search whose defaults are in place
};

ResetGate& Gate() {
  static ResetGate* gate = new ResetGate();
  return *gate;
}

long long CurrentSearch() {
  ResetGate& gate = Gate();
  std::lock_guard<std::mutex> lock(gate.mutex);
  return gate.started;
}

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
  {
    ResetGate& gate = Gate();
    std::lock_guard<std::mutex> lock(gate.mutex);
    ++gate.started;
  }
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
  const long long search = CurrentSearch();
  for (Control c : {Control::搜索_超级按钮1, Control::搜索_超级按钮2, Control::搜索_超级按钮3,
                    Control::搜索_超级按钮4, Control::搜索_超级按钮5})
    SetText(c, "");
  SetText(Control::小说名称_编辑框, kDefaultTitle);
  SetText(Control::小说作者_编辑框, kDefaultAuthor);
  SetText(Control::小说最新_编辑框, kDefaultVersion);
  SetText(Control::小说简介_编辑框, kDisclaimer);
  {
    ResetGate& gate = Gate();
    std::lock_guard<std::mutex> lock(gate.mutex);
    if (gate.reset < search) gate.reset = search;
    gate.done.notify_all();
  }
  SharedState& state = State();
  for (int i = 0; i < kCooldownSeconds; ++i) {
    --state.SearchCooldown;
    SleepMs(1000);
  }
}

void WaitForSearchReset() {
  ResetGate& gate = Gate();
  std::unique_lock<std::mutex> lock(gate.mutex);
  const long long search = gate.started;
  // Bounded, so that no worker can hang on it.
  gate.done.wait_for(lock, std::chrono::seconds(5), [&] { return gate.reset >= search; });
}

void NoteSourceFailure() {
  // Raised atomically: two sites failing at the same moment both count.
  if (++State().SearchFailures == 3) ShowMessage(kMessageSearchFailedSS5);
}

Text CleanSynopsis(const Text& synopsis) {
  return TextReplaceMany(synopsis, {{" ", ""}, {"　", ""}, {"<br/>", "\r\n"}, {"&nbsp;", ""}, {"</div>", ""}});
}
