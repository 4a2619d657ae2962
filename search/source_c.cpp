// The SourceC search worker: the first hit's book page and its download page
// into slot 3, whose link is the whole book's ready-made download.
#include "app/controls.h"
#include "app/settings.h"
#include "app/shared_state.h"
#include "app/window.h"
#include "net/web_request.h"
#include "search/search.h"

namespace {

const char* const kSucceeded = "\r\n搜 索 成 功\r\n\r\n查 看 请 点 击 下 方 按 钮 三";

Text Fetch(const Text& url) { return Utf8ToAnsi(WebRequest(url)); }

Text CleanIntro(const Text& intro) {
  return TextReplaceMany(intro, {{" ", ""}, {"　", ""}, {"<br/>", ""}, {"</p>", ""}, {"&nbsp;", ""}});
}

}  // namespace

void SourceCSearchWorker() {
  WaitForSearchReset();
  const Text title = GetText(Control::搜索_编辑框);
  const Text host = CurrentSettings().source_c_host;
  const Text answer = Fetch("http://" + host + "/index.php?keyword=" + UrlEncodeUtf8(title));
  TextList links;
  if (TextBetweenAll(answer, "<dt><a href=\"", "\">《", links) == 0) {
    NoteSourceFailure();
    return;
  }
  const Text book_address = links[0];
  const Text page = Fetch(book_address);
  ResultSlot slot;
  const Text piece = TextBetween(page, book_address, "/a>");
  slot.author = TextBetween(piece, "作者：", "<");
  slot.title = TextBetween(piece, "《", "》");
  slot.intro = TextBetween(page, "【内容简介】：", "</p><p class=");
  if (slot.intro.empty()) slot.intro = TextBetween(page, "【内容简介】：", "<p class=\"yinyong");
  slot.intro = CleanIntro(slot.intro);
  slot.latest = "此小说已精校完结";
  const Text download_page_address = TextBetween(page, "filetit\"><a href=\"", "\" rel=\"external");

  // A download page without any download address leaves the link empty, so
  // that the slot is never offered with the address of a page.
  const Text download_page = download_page_address.empty() ? Text() : Fetch(download_page_address);
  TextBetweenAll(download_page, "downfile\"><a href=\"", "\" target=\"_blank", links);
  slot.link = links.empty() ? Text() : links[0];
  State().WriteSlot(3, slot);

  if (!slot.title.empty() && !slot.link.empty()) {
    SetText(Control::搜索_超级按钮3, "三");
    ShowMessage(kSucceeded);
  } else {
    NoteSourceFailure();
  }
}
