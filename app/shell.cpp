// The start routine, the result display and window behaviours, and the
// start-up notice check.
#include "app/shell.h"

#include <cstdio>
#include <cstdlib>

#include "app/settings.h"
#include "app/shared_state.h"
#include "app/window.h"
#include "app/window_backend.h"
#include "net/web_request.h"
#include "search/search.h"

// Three line breaks, nine spaces, five em dashes (A1 AA), " 暂 无 简 介 ", five em dashes.
const char* const kNoSynopsis =
    "\r\n\r\n\r\n         \xA1\xAA\xA1\xAA\xA1\xAA\xA1\xAA\xA1\xAA 暂 无 简 介 "
    "\xA1\xAA\xA1\xAA\xA1\xAA\xA1\xAA\xA1\xAA";
const char* const kUpdatePagePath = "/pzwj/txtyz.php";

void PrepareProgram(EnvironmentLookup lookup) {
  ResetSharedState();
  ResetWindowState();
  LoadSettings(lookup);
}

void ExitCleanup() { std::fflush(nullptr); }

void RunProgram() {
  PrepareProgram();
  std::atexit(ExitCleanup);
  BackendRunWindow();
  // Workers may still be running: end the process here, without releasing
  // the shared state or running destructors they could still reach.
  ExitCleanup();
  std::_Exit(0);
}

void StartupNoticeCheck() {
  State().SearchCooldown = 0;
  const Text page =
      Utf8ToAnsi(WebRequest("http://" + CurrentSettings().update_host + kUpdatePagePath));
  const Text count = TextBetween(page, "使用次数：", "<br />最");
  const Text version = TextBetween(page, "最新版本：", "<br />");
  if (!count.empty()) ShowMessage("\r\n\r\n软 件 已 被 使 用 ：" + count + " 次");
  if (!version.empty() && version != GetText(Control::小说最新_编辑框)) {
    SetText(Control::小说最新_编辑框, "发现新版：" + version);
    SetTextColor(Control::小说最新_编辑框, kColorRed);
  }
}

namespace {

struct ResultButton {
  Control button;
  const char* mark;
};
// Button n shows slot n while it carries this mark.
const ResultButton kResultButtons[6] = {
    {Control::窗口, ""},
    {Control::搜索_超级按钮1, "一"},
    {Control::搜索_超级按钮2, "二"},
    {Control::搜索_超级按钮3, "三"},
    {Control::搜索_超级按钮4, "二"},
    {Control::搜索_超级按钮5, "一"},
};

}  // namespace

void ResultButtonClicked(int n) {
  if (n < 1 || n > 5) return;
  if (GetText(kResultButtons[n].button) != kResultButtons[n].mark) return;
  const ResultSlot slot = State().ReadSlot(n);
  SetText(Control::小说名称_编辑框, slot.title);
  SetText(Control::小说作者_编辑框, slot.author);
  SetText(Control::小说最新_编辑框, slot.latest);
  SetText(Control::小说简介_编辑框, slot.intro.empty() ? Text(kNoSynopsis) : slot.intro);
  State().SelectedSlot = n;
}

void TitleStripPressed() { SendMainWindowMessage(kWmNcLButtonDown, kHtCaption, 0); }

void CloseButtonClicked() { DestroyMainWindow(); }

void SearchBoxGotFocus() {
  if (GetText(Control::搜索_编辑框) == kSearchPlaceholder) SetText(Control::搜索_编辑框, "");
}

void SearchBoxLostFocus() {
  const Text text = GetText(Control::搜索_编辑框);
  if (text.empty() || text == " ") SetText(Control::搜索_编辑框, kSearchPlaceholder);
}

void SearchBoxKeyPressed(int key) {
  if (key == kKeyEnter) SearchButtonClicked();
}

void SynopsisWheel(int distance) {
  const int key = distance == -1 ? kVkDown : kVkUp;
  PostWindowMessage(GetNativeHandle(Control::小说简介_编辑框), kWmKeyDown, static_cast<uintptr_t>(key), 0);
}

void MessageLabelMouseMoved() { SetVisible(Control::提示_标签, false); }
