// The three site searches end to end: the search button, the workers, real
// HTTP to the loopback test sites, the result buttons.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "app/controls.h"
#include "app/shared_state.h"
#include "app/shell.h"
#include "app/window.h"
#include "platform/headless/driver.h"
#include "search/search.h"
#include "tests/sites.h"

namespace {

using headless::Click;

const Text kSuccessB = "\r\n搜 索 成 功\r\n\r\n查 看 请 点 击 下 方 一 二 按 钮";
const Text kSuccessA = "\r\n搜 索 成 功\r\n\r\n查 看 请 点 击 下 方 二 一 按 钮";
const Text kSuccessC = "\r\n搜 索 成 功\r\n\r\n查 看 请 点 击 下 方 按 钮 三";
Text Failed(int code) {
  return "\r\n搜 索 失 败 [S S " + IntToText(code) + "]\r\n\r\n请 检 查 名 字 是 否 输 入 正 确";
}

// The hosts the program is started with; a site left out is unreachable.
std::map<std::string, std::string> g_hosts;

const char* Hosts(const char* name) {
  auto found = g_hosts.find(name);
  return found == g_hosts.end() ? nullptr : found->second.c_str();
}

class SiteSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string why = HttpsUnavailable(); !why.empty()) GTEST_SKIP() << why;
    g_hosts = {{"LANTISK_SOURCEA_HOST", SiteHost("sourcea")},
               {"LANTISK_SOURCEB_HOST", SiteHost("sourceb")},
               {"LANTISK_SOURCEC_HOST", SiteHost("sourcec")},
               {"LANTISK_UPDATE_HOST", "127.0.0.1:1"}};
    SetSleepHook([](int) {});  // the cool-down passes at once
    Start();
  }
  void TearDown() override {
    EXPECT_TRUE(headless::WaitForWorkers());
    SetSleepHook(nullptr);
  }
  static void Start() { headless::StartProgram(Hosts); }
  static void MakeUnreachable(const char* variable) {
    g_hosts[variable] = "127.0.0.1:1";
    Start();
  }

  // Types the title, presses the search button and waits for every worker.
  static void Search(const Text& title) {
    for (const char* site : {"sourcea", "sourceb", "sourcec"}) ClearSiteLog(site);
    headless::Type(title);
    Click(Control::搜索_超级按钮);
    ASSERT_TRUE(headless::WaitForWorkers());
  }
  static bool Shown(const Text& message) {
    const auto shown = headless::MessagesShown();
    return std::find(shown.begin(), shown.end(), message) != shown.end();
  }
  static std::vector<std::string> Paths(const std::string& site) {
    std::vector<std::string> paths;
    for (const std::string& line : SiteLog(site)) {
      // "GET /path HTTP/1.1"
      size_t first = line.find(' '), last = line.rfind(' ');
      if (first != std::string::npos && last > first) paths.push_back(line.substr(first + 1, last - first - 1));
    }
    return paths;
  }
  static std::vector<Text> Captions() {
    return {GetText(Control::搜索_超级按钮1), GetText(Control::搜索_超级按钮2),
            GetText(Control::搜索_超级按钮3), GetText(Control::搜索_超级按钮4),
            GetText(Control::搜索_超级按钮5)};
  }
};

using Strings = std::vector<std::string>;

TEST_F(SiteSearch, SourceBBookPageFillsSlotOne) {
  State().WriteSlot(2, {"旧书", "", "", "", ""});
  Search("小说");
  EXPECT_EQ(Paths("sourceb"),
            Strings{"/modules/article/search.php?searchtype=keywords&searchkey=%D0%A1%CB%B5"});
  const ResultSlot one = State().ReadSlot(1);
  EXPECT_EQ(one.title, "小说之王");
  EXPECT_EQ(one.author, "风中客");
  EXPECT_EQ(one.latest, "第三章 归来");
  EXPECT_EQ(one.link, "https://" + SiteHost("sourceb") + "/book/1/");
  EXPECT_EQ(one.intro, "少年离家，\r\n十年后归来。天下已变。");
  EXPECT_EQ(State().ReadSlot(2).title, "旧书");  // slot 2 is not touched
  EXPECT_EQ(Captions(), (std::vector<Text>{"一", "", "", "", ""}));
  EXPECT_TRUE(Shown(kSuccessB));
  // SourceA and SourceC found nothing: two failures, no "[S S 5]" yet.
  EXPECT_EQ(State().SearchFailures, 2);
  EXPECT_FALSE(Shown(Failed(5)));

  Click(Control::搜索_超级按钮1);
  EXPECT_EQ(GetText(Control::小说名称_编辑框), "小说之王");
  EXPECT_EQ(GetText(Control::小说简介_编辑框), one.intro);
  EXPECT_EQ(State().SelectedSlot, 1);
  Click(Control::搜索_超级按钮2);  // not offered
  EXPECT_EQ(State().SelectedSlot, 1);
}

TEST_F(SiteSearch, SourceBListAndSourceCBook) {
  Search("凡人");
  // SourceB: the first two of three hits, each from its own book page.
  EXPECT_EQ(Paths("sourceb"),
            (Strings{"/modules/article/search.php?searchtype=keywords&searchkey=%B7%B2%C8%CB",
                     "/book/11/", "/book/12/"}));
  EXPECT_EQ(State().ReadSlot(1).title, "凡人修仙传");
  EXPECT_EQ(State().ReadSlot(1).intro,
            "一个普通山村小子，偶然下进入到当地江湖小门派，成了一名记名弟子。\r\n他以这样身份，如何在门派中立足？");
  EXPECT_EQ(State().ReadSlot(2).title, "凡人修仙之仙界篇");
  EXPECT_EQ(State().ReadSlot(2).intro, "");
  // SourceC: only the first hit is followed, to its download page.
  const Text c = SiteHost("sourcec");
  EXPECT_EQ(Paths("sourcec"),
            (Strings{"/index.php?keyword=%E5%87%A1%E4%BA%BA", "/txt/1.html", "/down/1.html"}));
  const ResultSlot three = State().ReadSlot(3);
  EXPECT_EQ(three.title, "凡人修仙传");
  EXPECT_EQ(three.author, "忘语");
  EXPECT_EQ(three.latest, "此小说已精校完结");
  EXPECT_EQ(three.intro,
            "一个普通山村小子，偶然下进入到当地江湖小门派，成了一名记名弟子。他以这样身份，如何在门派中立足？");
  EXPECT_EQ(three.link, "http://" + c + "/files/fanren.txt");
  EXPECT_EQ(Captions(), (std::vector<Text>{"一", "二", "三", "", ""}));
  EXPECT_TRUE(Shown(kSuccessB));
  EXPECT_TRUE(Shown(kSuccessC));
  EXPECT_EQ(State().SearchFailures, 1);  // SourceA

  // Slot 2 has no synopsis: its button shows the no-synopsis text.
  Click(Control::搜索_超级按钮2);
  EXPECT_EQ(GetText(Control::小说简介_编辑框), kNoSynopsis);
  Click(Control::搜索_超级按钮3);
  EXPECT_EQ(GetText(Control::小说最新_编辑框), "此小说已精校完结");
  EXPECT_EQ(State().SelectedSlot, 3);
}

TEST_F(SiteSearch, SourceBAnswerForms) {
  const struct {
    const char* title;
    Text message;  // empty: no message of SourceB's own
    std::vector<Text> captions_1_2;
    int failures;  // of the three sites together
    const char* slot1_title;
  } cases[] = {
      {"一个", "", {"", ""}, 3, "前"},                        // a single hit
      {"两个", kSuccessB, {"一", "二"}, 2, "凡人修仙传"},     // hit 2 has a title only
      {"空列", Failed(2), {"", ""}, 2, "前"},                  // cover block is "</div>"
      {"无名", Failed(3), {"", ""}, 2, ""},                    // book page without title
      {"坏书", Failed(4), {"", ""}, 2, "没有目录的书"},        // first book without link
      {"断开", Failed(4), {"", ""}, 2, ""},                    // first book page fails
      {"混合", kSuccessB, {"一", ""}, 2, "小说之王"},          // info_top() wins
      {"大小写", Failed(2), {"", ""}, 2, "前"},                // markers in another case
      {"巨大", Failed(2), {"", ""}, 2, "前"},                  // a huge page without markers
      {"没有这本书", Failed(2), {"", ""}, 2, "前"},
      {"缺二", kSuccessB, {"一", ""}, 2, "凡人修仙传"},        // book page 2 is missing
      {"乱码", kSuccessB, {"一", ""}, 1, "乱码之书"},          // invalid GBK around the markers
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    Start();
    State().WriteSlot(1, {"前", "", "", "", ""});
    Search(c.title);
    if (!c.message.empty()) {
      EXPECT_TRUE(Shown(c.message));
    }
    for (int code : {2, 3, 4}) {
      if (c.message != Failed(code)) {
        EXPECT_FALSE(Shown(Failed(code)));
      }
    }
    const auto captions = Captions();
    EXPECT_EQ(captions[0], c.captions_1_2[0]);
    EXPECT_EQ(captions[1], c.captions_1_2[1]);
    EXPECT_EQ(State().SearchFailures, c.failures);
    EXPECT_EQ(State().ReadSlot(1).title, c.slot1_title);
  }
  // A single hit fetches no book page.
  Start();
  Search("一个");
  EXPECT_EQ(Paths("sourceb").size(), 1u);
  // "缺二": slot 2 is written with empty texts.
  Start();
  State().WriteSlot(2, {"前", "前", "前", "前", "前"});
  Search("缺二");
  EXPECT_EQ(State().ReadSlot(2).title, "");
  EXPECT_EQ(State().ReadSlot(2).link, "");
  // "坏书": both book pages are written; slot 2 keeps what was found.
  Start();
  Search("坏书");
  EXPECT_EQ(State().ReadSlot(1).author, "某人");
  EXPECT_EQ(State().ReadSlot(2).title, "凡人修仙传");
}

TEST_F(SiteSearch, SourceAFillsSlotFiveThenFour) {
  Search("斗破苍穹");
  EXPECT_EQ(Paths("sourcea"),
            (Strings{"/search.html?searchkey=%E6%96%97%E7%A0%B4%E8%8B%8D%E7%A9%B9", "/1234"}));
  EXPECT_EQ(State().SourceAInfo[1], "1234");
  EXPECT_EQ(State().SourceAInfo[2], "5678");
  const ResultSlot five = State().ReadSlot(5);
  EXPECT_EQ(five.title, "斗破苍穹");
  EXPECT_EQ(five.author, "天蚕土豆");
  EXPECT_EQ(five.latest, "第五章 三年之约");
  EXPECT_EQ(five.link, "5");  // the book's own chapter link, not another book's
  EXPECT_EQ(five.intro,
            "这里是属于斗气的世界，没有花俏艳丽的魔法，有的，仅仅是繁衍到巅峰的斗气！\r\n"
            "新书等级制度：斗者，斗师，大斗师，斗灵，斗王，斗皇，斗宗，斗尊，斗圣，斗帝。\r\nDouQiDaLu");
  EXPECT_EQ(State().ReadSlot(4).title, "");
  // Slot 4 is empty, so both buttons are offered.
  EXPECT_EQ(Captions(), (std::vector<Text>{"", "", "", "二", "一"}));
  EXPECT_TRUE(Shown(kSuccessA));
  EXPECT_TRUE(Shown(Failed(2)));  // SourceB knows no such book

  // The second pattern alone fills slot 4; slot 5 still holds a book, and
  // slot 4 now has title and chapter number, so button 5 stays empty.
  Search("遮天");
  EXPECT_EQ(Paths("sourcea"), (Strings{"/search.html?searchkey=%E9%81%AE%E5%A4%A9", "/5678"}));
  EXPECT_EQ(State().SourceAInfo[1], "");
  EXPECT_EQ(State().ReadSlot(4).title, "遮天");
  EXPECT_EQ(State().ReadSlot(4).link, "12");
  EXPECT_EQ(State().ReadSlot(5).title, "斗破苍穹");
  EXPECT_EQ(Captions(), (std::vector<Text>{"", "", "", "二", ""}));
  Click(Control::搜索_超级按钮4);
  EXPECT_EQ(GetText(Control::小说作者_编辑框), "辰东");
  EXPECT_EQ(State().SelectedSlot, 4);
}

TEST_F(SiteSearch, SourceAFailures) {
  const struct {
    const char* title;
    bool ss1;
    int failures;
    std::vector<Text> captions;
  } cases[] = {
      {"遮天", true, 1, {"", "", "", "", ""}},   // slot 4 filled, slot 5 empty
      {"坏页", true, 1, {"", "", "", "", ""}},   // the book page is missing
      {"大小写", false, 2, {"", "", "", "", ""}},  // markers in another case: no id
      {"乱码", false, 1, {"一", "", "", "二", "一"}},  // invalid UTF-8 around the markers
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    Start();
    Search(c.title);
    EXPECT_EQ(Shown(Failed(1)), c.ss1);
    EXPECT_EQ(State().SearchFailures, c.failures);
    EXPECT_EQ(Captions(), c.captions);
  }
  // The first case above filled slot 4 although it offered nothing.
  Start();
  Search("遮天");
  EXPECT_EQ(State().ReadSlot(4).title, "遮天");
}

TEST_F(SiteSearch, SourceCFailures) {
  const struct {
    const char* title;
    const char* slot3_title;
    const char* slot3_link;
  } cases[] = {
      {"雪中", "雪中悍刀行", "/files/xuezhong.txt"},
      {"无址", "无址之书", ""},    // the download page has no address
      {"坏书", "", ""},            // the book page is missing
      {"无题", "", "/files/fanren.txt"},  // no 《》 around the title
      {"没有这本书", "前", "前"},  // no hit: slot 3 untouched
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    Start();
    State().WriteSlot(3, {"前", "", "", "", "前"});
    Search(c.title);
    const ResultSlot three = State().ReadSlot(3);
    EXPECT_EQ(three.title, c.slot3_title);
    const Text link = c.slot3_link;
    EXPECT_EQ(three.link, link.empty() || link == "前" ? link : "http://" + SiteHost("sourcec") + link);
    const bool offered = std::strcmp(c.title, "雪中") == 0;
    EXPECT_EQ(GetText(Control::搜索_超级按钮3), offered ? "三" : "");
    EXPECT_EQ(Shown(kSuccessC), offered);
  }
  Start();
  Search("雪中");
  EXPECT_EQ(State().ReadSlot(3).intro, "江湖是一张珠帘。大人物小人物，是珠子，大故事小故事，是串线。");
}

TEST_F(SiteSearch, ThirdFailureShowsSS5OnceSinceStart) {
  // "一个": SourceA and SourceC find nothing, SourceB has one hit.
  Search("一个");
  EXPECT_EQ(State().SearchFailures, 3);
  EXPECT_TRUE(Shown(Failed(5)));
  const size_t before = headless::MessagesShown().size();
  Search("一个");
  EXPECT_EQ(State().SearchFailures, 6);
  const auto shown = headless::MessagesShown();
  EXPECT_EQ(std::count(shown.begin() + static_cast<long>(before), shown.end(), Failed(5)), 0);
}

TEST_F(SiteSearch, UnreachableSites) {
  MakeUnreachable("LANTISK_SOURCEA_HOST");
  MakeUnreachable("LANTISK_SOURCEB_HOST");
  MakeUnreachable("LANTISK_SOURCEC_HOST");
  Search("凡人");
  EXPECT_TRUE(Shown(Failed(2)));
  EXPECT_EQ(State().SearchFailures, 2);
  EXPECT_EQ(Captions(), (std::vector<Text>(5, "")));
}

TEST_F(SiteSearch, SearchTextIsEncodedPerSite) {
  // "%", "&", "#", "+", " " and two characters whose second byte is "\" and "|".
  Search("%&#+ 嘰億");
  EXPECT_EQ(Paths("sourcea"),
            Strings{"/search.html?searchkey=%25%26%23%2B%20%E5%98%B0%E5%84%84"});
  EXPECT_EQ(Paths("sourceb"),
            Strings{"/modules/article/search.php?searchtype=keywords&searchkey=%25%26%23%2B%20%87%5C%83%7C"});
  EXPECT_EQ(Paths("sourcec"), Strings{"/index.php?keyword=%25%26%23%2B%20%E5%98%B0%E5%84%84"});
  // Two spaces are searched as they are.
  Search("  ");
  EXPECT_EQ(Paths("sourceb"),
            Strings{"/modules/article/search.php?searchtype=keywords&searchkey=%20%20"});
}

TEST_F(SiteSearch, OverlappingSearchesLeaveWholeSlots) {
  // The first search's SourceA answer comes late, after a second search has
  // started; both write slots 4 and 5 and the result buttons.
  headless::Type("慢");
  Click(Control::搜索_超级按钮);
  ASSERT_TRUE(headless::WaitForWorkers(1));  // only SourceA's slow worker is left
  Search("遮天");
  const ResultSlot five = State().ReadSlot(5), four = State().ReadSlot(4);
  EXPECT_EQ(five.title, "斗破苍穹");
  EXPECT_EQ(five.link, "5");
  EXPECT_EQ(four.title, "遮天");
  EXPECT_EQ(four.link, "12");
  EXPECT_EQ(GetText(Control::搜索_超级按钮4), "二");
}

}  // namespace
