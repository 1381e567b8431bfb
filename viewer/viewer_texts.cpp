#include "viewer/viewer_texts.h"

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

ViewerTexts Build() {
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
  return t;
}

}  // namespace

const ViewerTexts& ViewerText() {
  static const ViewerTexts kTexts = Build();
  return kTexts;
}

}  // namespace vexo
