// The SourceA search worker: one book id from the search answer, its book
// page into slot 5 (first id pattern) or slot 4 (second).
#include "app/controls.h"
#include "app/settings.h"
#include "app/shared_state.h"
#include "app/window.h"
#include "net/web_request.h"
#include "search/search.h"

namespace {

const char* const kFailedSS1 = "\r\n搜 索 失 败 [S S 1]\r\n\r\n请 检 查 名 字 是 否 输 入 正 确";
const char* const kSucceeded = "\r\n搜 索 成 功\r\n\r\n查 看 请 点 击 下 方 二 一 按 钮";

Text Fetch(const Text& url) { return Utf8ToAnsi(WebRequest(url)); }

void ShowBook(const Text& host, const Text& id, int slot_number) {
  const Text page = Fetch("https://" + host + "/" + id);
  ResultSlot slot;
  slot.title = TextBetween(page, "class=\"title\">", "</h1>");
  slot.author = TextBetween(page, "作品大全\">", "</a></p>");
  slot.latest = TextBetween(page, "_blank\"><span>", "</span><span");
  slot.link = TextBetween(page, "<li><a href=\"/" + id + "/read_", ".html");
  slot.intro = CleanSynopsis(TextBetween(page, "[+展开]</a>", "</div>"));
  SharedState& state = State();
  state.WriteSlot(slot_number, slot);

  // The result test is on slot 5, whichever slot was filled.
  const ResultSlot five = state.ReadSlot(5);
  if (five.title.empty() || five.link.empty()) {
    ShowMessage(kFailedSS1);
    return;
  }
  SetText(Control::搜索_超级按钮4, "二");
  const ResultSlot four = state.ReadSlot(4);
  if (four.title.empty() || four.link.empty()) SetText(Control::搜索_超级按钮5, "一");
  ShowMessage(kSucceeded);
}

}  // namespace

void SourceASearchWorker() {
  WaitForSearchReset();
  const Text title = GetText(Control::搜索_编辑框);
  const Text host = CurrentSettings().source_a_host;
  const Text answer = Fetch("https://" + host + "/search.html?searchkey=" + UrlEncodeUtf8(title));
  SharedState& state = State();
  const Text ids[3] = {"", TextBetween(answer, "<td><a href=\"/", "/read_1.html"),
                       TextBetween(answer, "/searchid.php?id=", "&type=m")};
  state.SourceAInfo.Set(1, ids[1]);
  state.SourceAInfo.Set(2, ids[2]);
  for (int i = 1; i <= 2; ++i) {
    if (!ids[i].empty()) {
      ShowBook(host, ids[i], 6 - i);
      return;
    }
  }
  NoteSourceFailure();
}
