#include "shell/texts.h"

#include "platform/codepage.h"

namespace vexo {

namespace {

ShellTexts Build() {
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
  t.publisher_line = Gb(" 维克索软件工作室出品  ") + kPublisherHomePage;

  t.tray_before = Gb("已跟踪到:");
  t.tray_after = Gb("个目标");

  t.msg_caption = Gb("Vexo提示");
  t.msg_no_keywords = Gb(" 请先填写<关键词>项，可参考“？”按钮中的说明");
  t.msg_confirm_exit = Gb("   确认要退出V鹊(Vexo)吗？    ");

  t.welcome_link = kPublisherHomePage;
  t.welcome_notice[0] = Gb("…欢迎使用V鹊(Vexo)：填写关键词，按<跟踪>即可…");
  t.welcome_notice[1] = Gb("…发现的新目标将在此列出，并可及时弹出提示…");
  t.welcome_notice[2] = Gb("…更多免费软件，请访问维克索软件工作室主页…");
  return t;
}

}  // namespace

const ShellTexts& Texts() {
  static const ShellTexts kTexts = Build();
  return kTexts;
}

Bytes TrayTooltip(const Bytes& count) {
  return Texts().tray_before + count + Texts().tray_after;
}

}  // namespace vexo
