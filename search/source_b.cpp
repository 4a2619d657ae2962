// The SourceB search worker: a book page into slot 1, or the first two hits
// of a list into slots 1 and 2. SourceB's pages are GBK and used as they are.
#include "app/controls.h"
#include "app/settings.h"
#include "app/shared_state.h"
#include "app/window.h"
#include "net/web_request.h"
#include "search/search.h"

namespace {

const char* const kFailedSS2 = "\r\n搜 索 失 败 [S S 2]\r\n\r\n请 检 查 名 字 是 否 输 入 正 确";
const char* const kFailedSS3 = "\r\n搜 索 失 败 [S S 3]\r\n\r\n请 检 查 名 字 是 否 输 入 正 确";
const char* const kFailedSS4 = "\r\n搜 索 失 败 [S S 4]\r\n\r\n请 检 查 名 字 是 否 输 入 正 确";
const char* const kSucceeded = "\r\n搜 索 成 功\r\n\r\n查 看 请 点 击 下 方 一 二 按 钮";

enum class AnswerForm { kNone, kBookPage, kHitList };

ResultSlot ReadBookPage(const Text& page) {
  ResultSlot slot;
  slot.title = TextBetween(page, "><h1>", "</h1></a></P>");
  slot.author = TextBetween(page, "<p>作者：", "</p>");
  slot.latest = TextBetween(page, "html\">", "</a></p>");
  slot.link = TextBetween(page, "<span><a href=\"", "\">查看目录</a></span>");
  slot.intro = CleanSynopsis(TextBetween(page, "class=\"intro_info\">", "<div class=\"intro"));
  return slot;
}

bool Offered(const ResultSlot& slot) { return !slot.title.empty() && !slot.link.empty(); }

}  // namespace

void SourceBSearchWorker() {
  WaitForSearchReset();
  const Text title = GetText(Control::搜索_编辑框);
  const Text host = CurrentSettings().source_b_host;
  const Text answer = WebRequest("https://" + host +
                                 "/modules/article/search.php?searchtype=keywords&searchkey=" +
                                 UrlEncode(title));
  const Text cover = TextReplaceMany(
      TextBetween(answer, "<div class=\"cover\">", "<div class=\"footer"), {{"\r\n", ""}});
  AnswerForm form = AnswerForm::kNone;
  if (!cover.empty() && cover != "</div>") form = AnswerForm::kHitList;
  if (Find(answer, "info_top()") != -1) form = AnswerForm::kBookPage;

  SharedState& state = State();
  switch (form) {
    case AnswerForm::kNone:
      ShowMessage(kFailedSS2);
      return;
    case AnswerForm::kBookPage: {
      const ResultSlot slot = ReadBookPage(answer);
      state.WriteSlot(1, slot);
      if (!Offered(slot)) {
        ShowMessage(kFailedSS3);
        return;
      }
      SetText(Control::搜索_超级按钮1, "一");
      ShowMessage(kSucceeded);
      return;
    }
    case AnswerForm::kHitList: {
      TextList hits;
      if (TextBetweenAll(answer, "</a><a href=\"", "\" class=\"green", hits) < 2) {
        NoteSourceFailure();
        return;
      }
      ResultSlot slots[2];
      for (int j = 0; j < 2; ++j) {
        slots[j] = ReadBookPage(WebRequest("https://" + host + hits[j]));
        state.WriteSlot(j + 1, slots[j]);
      }
      if (!Offered(slots[0])) {
        ShowMessage(kFailedSS4);
        return;
      }
      SetText(Control::搜索_超级按钮1, "一");
      if (!slots[1].title.empty() || !slots[1].link.empty()) SetText(Control::搜索_超级按钮2, "二");
      ShowMessage(kSucceeded);
      return;
    }
  }
}
