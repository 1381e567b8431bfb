#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora into fuzz/corpus/<target>/.

Seeds are small inputs in each target's layout (texts separated by a zero
byte), taken from the kinds of pages and values the tests use: GB2312, Big5
and UTF-8 pieces, engine listings, portal headlines, addresses, Location
values, keyword texts, response headers, server replies, exported rows and
program files. Run it again after changing a
target's layout; the files it writes are committed.
"""
import hashlib
import os
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz", "corpus")


def gb(text):
    return text.encode("gb2312")


def big5(text):
    return text.encode("big5")


def join(*parts):
    return b"\0".join(parts)


LISTING = gb('<p><a href="http://www.gbsite.cn/news/2.htm" target=_blank>'
             '本站提供<font color=#c60a00>中文</font>分词服务</a><br>'
             '<font size=-1>中文新闻摘要&nbsp;&lt;b&gt;</font></p>')
CONTENT = gb('<html><head><title>中文新闻</title><meta http-equiv="refresh" '
             'content="0;url=/next.htm"></head><body><a href=../a/b.htm>中文'
             '</a> &amp; &#20013;</body></html>')
PORTAL = gb('<li><a href="/gundong/1.shtml">国内要闻今日发布</a></li>'
            '<li><a href="https://news.example.cn/2.htm" target="_blank">'
            '体育新闻  快讯</a></li>')

# Raw deflate without a zero byte: one final stored block of 257 bytes
# (LEN 0x0101, NLEN 0xFEFE).
RAW_DEFLATE = b"\x01\x01\x01\xfe\xfe" + (b"<p>raw deflate</p>" * 15)[:257]

HEAD = (b"HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=gb2312\r\n"
        b"Content-Length: 120\r\nAccept-Ranges: bytes\r\nSet-Cookie: a=b\r\n\r\n")


def export(kind, name, keywords, expression, *lines):
    """kind 0 = HTML, 1 = text; name picks one of the target's output names."""
    return bytes([kind | name << 1]) + join(keywords, expression, *lines)


SEEDS = {
    # charset choice, address choice, expression choice, then the piece
    "fuzz_page_analysis": [
        bytes([1, 0, 0]) + LISTING,
        bytes([2, 3, 1]) + CONTENT,
        bytes([0, 3, 0]) + "<p><a href=/x.htm>中文新闻今日发布消息</a></p>".encode("utf-8"),
        bytes([1, 4, 0]) + big5("<a href=\"/a.htm\">中文新聞今日發布消息</a>"),
        bytes([130, 1, 2]) + gb('<a href="http://www.a.cn/1.htm">宝来汽车今日发布新车型消息</a>'),
        # GBK-only characters and a four-byte sequence in a GB-declared page
        bytes([131, 3, 0]) + '<p><a href=/x.htm>赵昇中文新闻朱镕基</a></p>'.encode("gb18030")
        + "😀中文".encode("gb18030"),
    ],
    "fuzz_keywords": [
        join(gb("中文 新闻"), gb("新闻"), gb("今日中文新闻")),
        join(gb("奇瑞/别克/宝来 -二手"), gb("宝来"), gb("二手宝来别克")),
        join(gb("新闻 -("), b"", gb("要新闻")),
        join(b"a+(b/c)-(d/e)", b"b", b"xx b c a"),
        join(gb("手机３Ｇ（新品）"), gb("新品"), gb("手机3g新品")),
    ],
    "fuzz_charset": [
        big5("中文新聞，國際"),
        "中文新闻 ぁァЯ①".encode("utf-8"),
        gb("中文新闻") + b"\xd6",
        b"\xc6\xa5\xf9\xfe\x81\x40abc\x80\xff",
        "赵昇王喆犇堃😀中文".encode("gb18030") + b"\x81\x30",
    ],
    "fuzz_html_text": [
        join(b"http://www.gbsite.cn/index.htm", b"news/2.htm", LISTING),
        join(b"https://www.a.cn/x/y.htm", b"../z.htm#top", CONTENT),
        join(b"http://h/", b"'http://www.b.cn/p.asp?id=1'", b"<b>x</b>&quot;&#39;"),
    ],
    "fuzz_headlines": [
        join(b"http://news.sina.com.cn/news1000/", PORTAL),
        join(b"https://news.example.cn/", PORTAL + LISTING),
    ],
    "fuzz_address": [
        join(b"http://user:pw@www.a.cn:8080/p/q.htm?x=1", b"/elsewhere"),
        join(b"https://www.a.cn/", b"http://www.b.cn:81/x"),
        join(b"www.a.cn/dir/page.htm", b"page2.htm"),
        join(b"http://www.a.cn/", b"ftp://x/y"),
        join(b"http://www.a.cn/", b"/x\rX-Injected: 1"),
    ],
    "fuzz_response_head": [
        HEAD,
        b"HTTP/1.0 302 Moved\r\nLocation:  http://www.b.cn/x\r\n"
        b"Content-Range: bytes 100-199/1000\r\nWWW-Authenticate: Basic realm=\"x\"\r\n\r\n",
        b"HTTP/1.1 +99\nX-Odd :\t v \r\n folded: line\r\nno colon\r\n\x00\r\n<HTML>",
        b"HTTP/1.12000\r\ncontent-length: -5\r\nContent-Length: 12abc\r\n",
    ],
    # chunk size choice, action (low 2 bits: none, cancel, destroy; the rest:
    # at which event), 0xFF for a body past the bound, then one reply per
    # connection
    "fuzz_http_client": [
        bytes([0, 0, 0]) + HEAD + gb("<html><body>中文新闻</body></html>"),
        bytes([1, 0, 0]) + b"HTTP/1.0 302 Found\r\nLocation: /next.htm\r\n\r\n\0"
        b"HTTP/1.0 200 OK\r\n\r\nbody",
        bytes([3, 0, 0]) + b"<HTML><body>\nline two\n\nlast",
        bytes([5, 0, 0]) + b"HTTP/1.0 404 Not Found\r\nLocation: /x\r\n\r\ngone",
        bytes([4, 4 * 9 + 1, 0]) + HEAD + b"<p>cancelled</p>",
        bytes([2, 4 * 12 + 2, 0]) + HEAD + b"<p>destroyed</p>",
        bytes([0, 0, 0xFF]) + b"HTTP/1.0 200 OK\r\n\r\n" + b"0123456789" * 50,
        bytes([0, 0, 0]) + b"HTTP/1.1 301 Moved\r\nLocation: https://www.a.cn/\r\n\r\n\0\x16\x03\x01",
        bytes([7, 0, 0]) + b"HTTP/1.0 200 OK\r\nX-Long: " + b"a" * 9000 + b"\r\n\r\nbody",
        bytes([0, 0, 0]) + b"HTTP/1.0 302 Found\r\nLocation: /\r\n\r\n",
        bytes([0, 0, 0]) + b"HTTP/1.0 302 Found\r\nLocation: /a\rHost: x\r\n\r\n",
        # compressed bodies: gzipped by the target (0xFE), also past the bound
        # (0xFD), and a raw deflate stream as sent, which holds no zero byte
        bytes([0, 0, 0xFE]) + b"HTTP/1.0 200 OK\r\nContent-Encoding: gzip\r\n\r\n" + CONTENT,
        bytes([4, 4 * 20 + 1, 0xFE]) + b"HTTP/1.0 200 OK\r\nContent-Encoding: x-gzip\r\n\r\n"
        + LISTING * 20,
        bytes([0, 0, 0xFD]) + b"HTTP/1.0 200 OK\r\nContent-Encoding: gzip\r\n\r\n" + b"0" * 64,
        bytes([1, 0, 0]) + b"HTTP/1.0 200 OK\r\nContent-Encoding: deflate\r\n\r\n" + RAW_DEFLATE,
    ],
    # kind and output name, keywords, expression, then link and title lines
    "fuzz_export": [
        export(0, 0, gb("中文 新闻"), gb("中文+新闻"), b"http://www.a.cn/1.htm", gb("中文新闻今日发布"),
               b"*http://www.a.cn/2.htm", gb("已标记"), b"javascript:alert(1)", b"<b>\"&amp;</b>"),
        export(1, 1, b"k", b"", b"http://www.a.cn/\"q\".htm", b"say \"hi\", twice",
               b"https://b.cn/", b"\xb0"),
        export(0, 3, b"<k>", gb("新闻"), *([b"http://www.a.cn/" + b"x" * 80, gb("新闻") * 50] * 21),
               b"http://odd.cn/no-title"),
        export(1, 2, b"", b"", *([b"l", b"t"] * 801)),
        # a full-width "+" across two characters leaves a term that ends in a lead byte
        export(0, 0, b"k", b"\xd6\xd0\xce\xa3\xab\xc4", b"http://a.cn/", b"\xd6\xd0\xce\xc4|"),
    ],
    "fuzz_program_files": [
        join(gb("中文"), b"[vexo]\r\ngjc=" + gb("中文") + b"\r\ngjc3=" + gb("中文") + b"\r\nts=1\r\nru=0\r\n"),
        join(b"k", b"[other]\r\ngjc=x\r\n[VEXO]\r\nts=\r\n[vexo]\r\ngjc=late"),
        join(b"v", b"1\r\nhttp://www.a.cn/1.htm\r\n" + gb("…标题内容第一条…") + b"\r\n"),
        join(b"v", b"[:\\\\:]\n[:--:]\rhttp://www.a.cn\r\n\r\n"),
    ],
}


def main():
    for target, seeds in SEEDS.items():
        folder = os.path.join(ROOT, target)
        os.makedirs(folder, exist_ok=True)
        for seed in seeds:
            name = hashlib.sha1(seed).hexdigest()
            with open(os.path.join(folder, name), "wb") as f:
                f.write(seed)
    return 0


if __name__ == "__main__":
    sys.exit(main())
