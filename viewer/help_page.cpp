#include "viewer/help_page.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/codepage.h"
#include "platform/files.h"
#include "shell/texts.h"
#include "vexo_version.h"

namespace vexo {

namespace {

// Kept in UTF-8 here and turned into GB2312 once, like every text of the
// program; only characters that GB2312 has.
constexpr const char* kHelpPage = R"(<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=gb2312">
<title>V鹊(Vexo) 帮助</title>
<style>
body { font-family: "宋体", serif; font-size: 12pt; color: navy; margin: 2em; }
h1 { font-size: 16pt; } h2 { font-size: 13pt; border-bottom: 1px solid #88C4FF; }
code { color: #C00000; } td { padding: 2px 8px; vertical-align: top; }
</style>
</head>
<body>
<h1>V鹊(Vexo) 帮助</h1>
<p>V鹊是一个关键词跟踪工具：在[关键词]项中填好关键词，按&lt;跟踪&gt;按钮，
V鹊便到百度、中搜、谷歌的网页和新闻搜索中查找含有这些关键词的信息，并反复访问发现过目标的网站，
把新发现的目标（标题和链接）列在窗口中，每页八条。</p>

<h2>关键词的填法</h2>
<table>
<tr><td><code>电视机</code></td><td>只填一个关键词。</td></tr>
<tr><td><code>奇瑞 汽车</code> 或 <code>奇瑞+汽车</code></td>
<td>空格或加号表示&ldquo;并且&rdquo;：前后两个关键词须同时出现。</td></tr>
<tr><td><code>奇瑞/别克/宝来</code></td>
<td>斜线表示&ldquo;或者&rdquo;：前后只需出现其一。这样填可以增大跟踪范围。</td></tr>
<tr><td><code>汽车 -二手</code></td>
<td>减号表示&ldquo;没有&rdquo;：不出现其后的那个关键词。</td></tr>
<tr><td><code>(周杰伦/孙楠/陈好)+歌曲</code></td>
<td>括号把几个关键词组成一组，进行更复杂的限定。</td></tr>
<tr><td><code>武钢股份600005</code></td>
<td>把汉字和数字或英文连在一起填，V鹊会把它们分开来找，也可以增大跟踪范围。</td></tr>
</table>
<p>空格、加号、斜线、减号和括号均应为半角英文字符；全角的＋、／、－、（、）也能识别。
英文字母不分大小写。</p>

<h2>窗口上的按钮</h2>
<table>
<tr><td>跟踪 / 停止</td><td>开始跟踪；跟踪中再按一次则停止，并保存已发现的目标。</td></tr>
<tr><td>|&lt; &nbsp;&lt;&lt; &nbsp;&gt;&gt; &nbsp;&gt;|</td><td>最前页、上页、下页、最后页。</td></tr>
<tr><td>单击标题</td><td>用浏览器打开该目标；鼠标停在标题上时显示其链接。</td></tr>
<tr><td>标题旁的小方格</td><td>单击加上&ldquo;×&rdquo;，导出时将不包括该目标；再单击一次则去掉。</td></tr>
<tr><td>⊙ 导出</td><td>停止跟踪后，把本次的目标导出为网页或文本文件（加了&ldquo;×&rdquo;的除外）。</td></tr>
<tr><td>× 清空</td><td>确认后清空已跟踪的结果，新目标从第一条重新编号。</td></tr>
<tr><td>新闻</td><td>打开新闻中心，按类别浏览各大新闻网站的最新标题。</td></tr>
<tr><td>帮助 / 关于</td><td>本说明和关键词填法；V鹊的出品信息。</td></tr>
<tr><td>_ 隐藏</td><td>把窗口隐藏到任务栏通知区域；单击通知区域中的V鹊图标即可恢复。</td></tr>
<tr><td>☆ 关闭</td><td>确认后退出V鹊，并保存已发现的目标。</td></tr>
<tr><td>开机运行</td><td>打&ldquo;√&rdquo;后，下次登录桌面时自动运行V鹊。</td></tr>
<tr><td>弹出提示</td><td>打&ldquo;√&rdquo;后，发现新目标时窗口自动弹出到屏幕中央。</td></tr>
</table>

<h2>其他</h2>
<p>通知区域中V鹊图标的提示文字显示已跟踪到的目标数。每轮跟踪约需两分钟，窗口上的轮数随之增加。
用同样的关键词再次跟踪时，以前报告过的目标不会重复出现。</p>
<p>官方网站：<a href="%HOME%">%HOME%</a></p>
</body>
</html>
)";

}  // namespace

Bytes HelpPageHtml() {
  return ReplaceAll(Gb(kHelpPage), "%HOME%", kPublisherHomePage);
}

std::string FindHelpPage(const std::string& folder, const std::string& executable) {
  std::error_code ec;
  std::vector<std::filesystem::path> candidates;
  if (!folder.empty()) candidates.push_back(std::filesystem::path(folder) / "help.htm");
  const auto slash = executable.rfind('/');
  if (slash != std::string::npos)
    candidates.push_back(std::filesystem::path(executable.substr(0, slash)) / kDataDirFromBinDir /
                         "help.htm");
  for (const auto& candidate : candidates) {
    // "bin/.." read lexically: the executable's link may name a folder that
    // the file system resolves elsewhere.
    const std::filesystem::path full = std::filesystem::absolute(candidate, ec).lexically_normal();
    if (!ec && FileExists(full.string())) return full.string();
  }
  return {};
}

bool OpenHelpPage(const std::string& folder, const std::string& executable,
                  BrowserLauncher& browser) {
  const std::string path = FindHelpPage(folder, executable);
  return !path.empty() && browser.OpenFile(path);
}

}  // namespace vexo
