// The window table of the main window.
#include "app/controls.h"

const char* const kFontFace = "微软雅黑 Light";
const char* const kCloseFontFace = "等线 Light";

const char* const kDisclaimer =
    "软件声明：\r\n搜索小说源站共三个，结果以最优显示五个\r\n所有小说均来源于网络，软件不参与上传和存储\r\n"
    "如果您任然选择下载小说，则表示您愿意承担一切相关法律责任\r\n请在下载后二十四小时内删除\r\n"
    "请支持正版小说，您的支持是作者的动力";
const char* const kDefaultTitle = "Lantisk";
const char* const kDefaultAuthor = "quendrix";
const char* const kDefaultVersion = "V.1.2";
const char* const kSearchPlaceholder = "点此输入小说名称";

namespace {

using K = ControlKind;
using C = Control;
constexpr TextAlign L = TextAlign::kLeft, M = TextAlign::kCenter;

// Where the table gives no alignment, headings are left-aligned (their texts
// start with a space) and the panel's texts and the message are centred.
const ControlEntry kTable[kControlCount] = {
    {C::窗口, "窗口", K::kWindow, C::窗口, kWindowX, kWindowY, kWindowWidth, kWindowHeight, true, "", 0, L, kEventNone},
    {C::图片框1, "图片框1", K::kPanel, C::窗口, 8, 272, 304, 147, false, "", 0, L, kEventNone},
    {C::现尺寸_超级按钮, "现尺寸_超级按钮", K::kPictureButton, C::图片框1, 185, 48, 50, 50, true, "", 16, M, kEventClicked},
    {C::原尺寸_超级按钮, "原尺寸_超级按钮", K::kPictureButton, C::图片框1, 69, 48, 50, 50, true, "", 16, M, kEventClicked},
    {C::现尺寸_标签, "现尺寸_标签", K::kLabel, C::图片框1, 188, 101, 48, 16, true, "12.78M", 12, M, kEventNone},
    {C::原尺寸_标签, "原尺寸_标签", K::kLabel, C::图片框1, 71, 101, 48, 16, true, "12.78M", 12, M, kEventNone},
    {C::标签11, "标签11", K::kLabel, C::图片框1, 167, 112, 88, 24, true, "覆盖文件保存", 14, M, kEventNone},
    {C::标签10, "标签10", K::kLabel, C::图片框1, 48, 112, 88, 24, true, "重命名保存", 14, M, kEventNone},
    {C::标签9, "标签9", K::kLabel, C::图片框1, 4, 0, 296, 48, true, "检 测 到 相 同 文 件 名", 16, M, kEventNone},
    {C::提示_标签, "提示_标签", K::kLabel, C::窗口, 8, 273, 304, 109, false,
     "\r\nLantisk\r\n\r\nB Y ：Q U E N D R I X", 16, M, kEventMouseMoved},
    {C::下载_标签, "下载_标签", K::kTransparentLabel, C::窗口, 8, 495, 238, 28, false, "Q U E N D R I X", 16, M, kEventNone},
    {C::下载_图片框, "下载_图片框", K::kPictureBox, C::窗口, 9, 496, 238, 28, false, "", 0, L, kEventNone},
    {C::标签1, "标签1", K::kLabel, C::窗口, 8, 243, 304, 30, true, "小说简介", 16, L, kEventNone},
    {C::搜索_超级按钮5, "搜索_超级按钮5", K::kButton, C::窗口, 256, 427, 56, 22, true, "", 16, M, kEventClicked},
    {C::搜索_超级按钮4, "搜索_超级按钮4", K::kButton, C::窗口, 194, 427, 54, 22, true, "", 16, M, kEventClicked},
    {C::搜索_超级按钮3, "搜索_超级按钮3", K::kButton, C::窗口, 132, 427, 54, 22, true, "", 16, M, kEventClicked},
    {C::搜索_超级按钮2, "搜索_超级按钮2", K::kButton, C::窗口, 70, 427, 54, 22, true, "", 16, M, kEventClicked},
    {C::搜索_超级按钮1, "搜索_超级按钮1", K::kButton, C::窗口, 8, 427, 54, 22, true, "", 16, M, kEventClicked},
    {C::小说简介_编辑框, "小说简介_编辑框", K::kEditMultiLine, C::窗口, 9, 272, 302, 146, true, kDisclaimer, 14, L, kEventWheel},
    {C::小说最新_编辑框, "小说最新_编辑框", K::kEditReadOnly, C::窗口, 9, 204, 302, 30, true, kDefaultVersion, 16, M, kEventNone},
    {C::标签4, "标签4", K::kLabel, C::窗口, 8, 174, 304, 30, true, " 最新章节", 16, L, kEventNone},
    {C::标签3, "标签3", K::kLabel, C::窗口, 8, 105, 304, 30, true, " 小说作者", 16, L, kEventNone},
    {C::小说作者_编辑框, "小说作者_编辑框", K::kEditReadOnly, C::窗口, 9, 135, 302, 30, true, kDefaultAuthor, 16, M, kEventNone},
    {C::标签2, "标签2", K::kLabel, C::窗口, 8, 36, 304, 30, true, " 小说名称", 16, L, kEventNone},
    {C::小说名称_编辑框, "小说名称_编辑框", K::kEditReadOnly, C::窗口, 9, 66, 302, 30, true, kDefaultTitle, 16, M, kEventNone},
    {C::下载_超级按钮, "下载_超级按钮", K::kButton, C::窗口, 8, 495, 240, 30, true, "下载", 16, M, kEventClicked},
    {C::搜索_编辑框, "搜索_编辑框", K::kEditEditable, C::窗口, 8, 457, 240, 30, true, kSearchPlaceholder, 16, M,
     kEventGotFocus | kEventLostFocus | kEventKeyPressed},
    {C::搜索_超级按钮, "搜索_超级按钮", K::kButton, C::窗口, 256, 457, 56, 68, true, "搜索", 16, M, kEventClicked},
    {C::窗口位置_销毁, "窗口位置_销毁", K::kButton, C::窗口, 296, 4, 20, 20, true, "×", 24, M, kEventClicked},
    {C::窗口移动_标签, "窗口移动_标签", K::kLabel, C::窗口, 0, 0, 320, 28, true, "Lantisk", 16, M, kEventLeftButtonDown},
    {C::标签5, "标签5", K::kLabel, C::窗口, 8, 66, 304, 31, true, "小说名称", 16, M, kEventNone},
    {C::标签6, "标签6", K::kLabel, C::窗口, 8, 135, 304, 31, true, "小说作者", 16, M, kEventNone},
    {C::标签7, "标签7", K::kLabel, C::窗口, 8, 204, 304, 31, true, "最新章节", 16, M, kEventNone},
    {C::标签8, "标签8", K::kLabel, C::窗口, 8, 273, 304, 146, true, "小说简介", 16, M, kEventNone},
};

}  // namespace

const ControlEntry& TableEntry(Control c) { return kTable[static_cast<int>(c)]; }
