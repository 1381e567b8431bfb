#include "texts/texts.h"

#include <initializer_list>
#include <string>

#include "platform/codepage.h"

namespace vexo {

namespace {

std::string Blanks(std::size_t n) {
  return std::string(n, ' ');
}

// The lines of a message box, joined by a lone CR.
Bytes CrLines(std::initializer_list<std::string> utf8_lines) {
  Bytes text;
  bool first = true;
  for (const std::string& line : utf8_lines) {
    if (!first) text += '\r';
    first = false;
    text += Gb(line);
  }
  return text;
}

// Only characters that GB2312 has.
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

ShellTexts BuildShell() {
  ShellTexts t;
  t.app_title = Gb("V鹊");
  t.track = Gb("跟踪");
  t.stop = Gb("停止");
  t.spt1_hint = Gb("直接循环扫描各[媒体]和[行业]网站");
  t.gjc_hint = Gb("此[关键词]如何填？请按<帮助>按钮");
  t.sum1_hint = Gb("已发现目标总数");
  t.ss_hint = Gb("已循环轮数：每轮跟踪耗时约2分钟");
  t.la1_hint = Gb("Vexo正在跟踪 … ");
  t.ru_hint = Gb("下次开机时，自动运行V鹊");
  t.ts_hint = Gb("发现新目标，及时弹出提示");
  t.sbar_hint = Gb("点击此处，有更多免费软件下载");
  t.toggle_on = Gb("√");

  t.sbar_tracking = Gb(" Vexo正在进行跟踪……");
  t.sbar_stopped = Gb(" Vexo已经停止跟踪");
  t.sbar_save_failed = Gb(" 无法保存结果，请检查磁盘空间和Temp文件夹");
  t.sbar_host_paused_before = Gb(" ★ ");
  t.sbar_host_paused_between = Gb(" 拒绝了访问，V鹊暂停访问它到 ");
  t.sbar_host_paused_after = Gb("");
  t.sbar_proxy_failed_before = Gb(" ★ 代理服务器");
  t.sbar_proxy_unreachable = Gb("连接不上");
  t.sbar_proxy_refused = Gb("拒绝建立通道，回答 ");
  t.sbar_proxy_auth = Gb("要求身份验证，或不接受所给的用户名和密码");
  t.sbar_proxy_method = Gb("不接受V鹊提供的验证方式");
  t.sbar_proxy_connect = Gb("拒绝连接目标，回答代码 ");
  t.sbar_proxy_protocol = Gb("的回答无法识别");
  t.publisher_line = Gb(" 维克索软件工作室出品  ") + kPublisherHomePage;

  t.square = Gb("  ■");
  t.no_network = Gb(" ★ 还没有拨号连接上网络 or 此时网络线路出现故障");
  t.congested = Gb(" ★ 上网带宽较窄 or 此时网络较拥挤");

  t.keyword_prompt = Gb("关键词");
  t.autorun_name = Gb("开机运行");
  t.popup_name = Gb("弹出提示");
  t.count_name = Gb("目标");
  t.cycle_name = Gb("轮次");

  t.tray_before = Gb("已跟踪到:");
  t.tray_after = Gb("个目标");

  t.msg_caption = Gb("Vexo提示");
  t.msg_no_keywords = Gb(" 请先填写<关键词>项，可参考“？”按钮中的说明");
  t.msg_confirm_exit = Gb("   确认要退出V鹊(Vexo)吗？    ");
  t.msg_folder_busy_before = Gb("V鹊的程序文件夹 ");
  t.msg_folder_busy_by = Gb("\r正由 ");
  t.msg_folder_busy_after = Gb(" 使用。\r请等它结束后再启动V鹊。");
  t.msg_lock_failed = Gb("V鹊无法锁定它的程序文件夹，请检查磁盘空间和文件夹权限：\r");

  t.welcome_link = kPublisherHomePage;
  t.welcome_notice[0] = Gb("…欢迎使用V鹊(Vexo)：填写关键词，按<跟踪>即可…");
  t.welcome_notice[1] = Gb("…发现的新目标将在此列出，并可及时弹出提示…");
  t.welcome_notice[2] = Gb("…更多免费软件，请访问维克索软件工作室主页…");
  return t;
}

ViewerTexts BuildViewer() {
  ViewerTexts t;
  t.spt2 = Gb("⊙");
  t.spt2_hint = Gb("导出");
  t.spt3 = Gb("×");
  t.spt3_hint = Gb("清空");
  t.spt4 = "|<";
  t.spt4_hint = Gb("最前");
  t.spt5 = "<<";
  t.spt5_hint = Gb("上页");
  t.spt6 = ">>";
  t.spt6_hint = Gb("下页");
  t.spt7 = ">|";
  t.spt7_hint = Gb("最后");
  t.mark = Gb("×");
  t.mark_hint = Gb("单击可加\"×\"，导出时将不包括该信息");
  t.confirm_clear = Gb("  确认要清空已跟踪的结果吗？");

  t.min1_down = "_";
  t.min1_hint = Gb("隐藏Vexo");
  t.close1_down = Gb("☆");
  t.close1_hint = Gb("关闭Vexo");
  t.help1 = Gb("帮助");
  t.about1 = Gb("关于");
  t.news = Gb("新闻");

  t.help_caption = Gb("<关键词>填法");
  t.help_text = CrLines({
      Blanks(58),
      "在[关键词]项中，可仅填一个关键词，也可填写多个关键词；当填",
      "多个关键词时，用空格\" \"，或加号\"+\"，表示\"并且\"之意，即前后",
      "关键词须同时出现；用斜线\"/\"，表示\"或者\"之意，即前后只需出 ",
      "现其一；用减号\"-\"，表示\"没有\"之意，即不出现其后一关键词。 ",
      "另外，还可用括号\"(  )\"，进行更复杂化地限定。              ",
      Blanks(58),
      " 注1> 运算符\" \"、\"+\"、\"/\"、\"-\"、\"(  )\" 均应为半角英文字符 ",
      "      例如：(周杰伦/孙楠/陈好/杨坤/梁静茹)+歌曲           ",
      " 注2> 填多个关键词时，应尽量使用\"/\"连接，可以增大跟踪范围 ",
      "      例如：电视机/电冰箱                                 ",
      " 注3> 关键词中，将汉字和数字或英文连填，可以增大跟踪范围  ",
      "      例如：武钢股份600005/仪征化纤600871                 ",
  });
  t.example_caption = Gb("<关键词>例子");
  t.example_text = CrLines({
      Blanks(46),
      " 系统已填入了\"奇瑞/别克/宝来\"，此种填法系统将 ",
      " 去跟踪\"奇瑞\"、\"别克\"和\"宝来\"三车的相关信息。 ",
      Blanks(46),
      "      【 下一步只需点击上方<跟踪>按钮 】      ",
  });
  t.example_keywords = Gb("奇瑞/别克/宝来");

  t.about_caption = Gb("关于Vexo");
  t.about_version = Gb("V鹊(Vexo) ");
  t.about_publisher = Gb("维克索软件工作室 出品");
  t.about_site = Gb("官方网站：");
  t.tray_tooltip = Gb("V鹊(Vexo)");
  t.help_page = Gb(kHelpPage);
  return t;
}

ExportTexts BuildExport() {
  ExportTexts t;
  t.dialog_title = Gb("Vexo信息导出");
  t.dialog_filter = Gb("网页文件(*.htm)|*.htm|数据文件(*.txt)|*.txt");
  t.notice = CrLines(
      {"  导出方式：1、网页文件，2、数据文件  ", "  ----------------------------------  ",
       "  如果以网页文件[*.htm]导出跟踪结果， ", "  就可将该网页放入自己网站供别人浏览  ",
       "  ----------------------------------  ", "  如果以数据文件[*.txt]导出跟踪结果， ",
       "  就可将该数据文件导入自己的数据库中  ", "  {注}：字段分隔符[,]、文本识别符[\"]  "});
  t.no_folder = Gb("  导出失败：所选文件夹不存在  ");
  t.write_failed = Gb("  导出失败：无法在所选文件夹中写入文件  ");
  t.read_failed = Gb("  导出失败：无法读取跟踪结果文件  ");

  t.page_head = Gb("<html><head><title>关键词：");
  t.head_end =
      Gb("</title><style type=\"text/css\"><!--p {font-size: 9pt}--></style><META "
         "http-equiv=Content-Type content=\"text/html; charset=gb2312\"></head><body>");
  t.page_end = "</body></html>";
  t.row_colour = "<font color=\"#009900\">";
  t.link_start = "<a href=\"";
  t.link_target = "\" target=\"_blank\">";
  t.number_sign = Gb("、");
  t.link_end = "</a>";
  t.short_link_end = Gb("…</a>");
  t.row_link_end = "</font><br>";
  t.piece_break = "<br>";
  t.nav_first = Gb("\">|&lt;最前</a>　");
  t.nav_previous = Gb("\">&lt;&lt;上页</a>　");
  t.nav_next = Gb("\">下页&gt;&gt;</a>　");
  t.nav_last = Gb("\">最后&gt;|</a>");
  t.footer_text = Gb("以上信息由软件V鹊(Vexo)跟踪搜集");
  return t;
}

NewsTexts BuildNews() {
  NewsTexts t;
  t.caption = Gb("Vexo新闻中心");
  const char* words[8] = {"滚动", "财经", "体育", "科技", "娱乐", "游戏", " IT ", "军事"};
  for (int i = 0; i < 8; ++i) {
    const Bytes word = Gb(words[i]);
    t.category_buttons[i] = "[" + word + "]";
    t.category_captions[i] = "[" + word + Gb("新闻]——新闻内容属于现场及时抓取");
  }
  t.paging_captions = {"|<", "<<", ">>", ">|"};
  t.paging_hints = {Gb("最前"), Gb("上页"), Gb("下页"), Gb("最后")};
  t.grid_hint = Gb("双击可打开目标；“☆”为出现过的新闻");
  t.waiting = Gb("正在抓取新闻内容，请稍等……");
  t.star = Gb("☆");
  t.furniture_words = {Gb("链接"), Gb("频道"), Gb("更多"), Gb("帖子"), Gb("反馈"), ">>..."};
  t.icp = Gb("icp证");
  return t;
}

AnalysisTexts BuildAnalysis() {
  AnalysisTexts t;
  t.ellipsis = Gb("…");
  t.full_slash = Gb("／");
  t.full_plus = Gb("＋");
  t.full_minus = Gb("－");
  t.full_space = Gb("　");
  t.full_open = Gb("（");
  t.full_close = Gb("）");
  return t;
}

}  // namespace

const ShellTexts& Texts() {
  static const ShellTexts kTexts = BuildShell();
  return kTexts;
}

Bytes TrayTooltip(const Bytes& count) {
  return Texts().tray_before + count + Texts().tray_after;
}

const ViewerTexts& ViewerText() {
  static const ViewerTexts kTexts = BuildViewer();
  return kTexts;
}

const ExportTexts& ExportText() {
  static const ExportTexts kTexts = BuildExport();
  return kTexts;
}

const NewsTexts& GetNewsTexts() {
  static const NewsTexts kTexts = BuildNews();
  return kTexts;
}

const AnalysisTexts& AnalysisText() {
  static const AnalysisTexts kTexts = BuildAnalysis();
  return kTexts;
}

}  // namespace vexo
