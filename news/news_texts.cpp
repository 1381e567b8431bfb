#include "news/news_texts.h"

#include "platform/codepage.h"

namespace vexo {

namespace {

NewsTexts MakeTexts() {
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
  return t;
}

}  // namespace

const NewsTexts& GetNewsTexts() {
  static const NewsTexts texts = MakeTexts();
  return texts;
}

}  // namespace vexo
