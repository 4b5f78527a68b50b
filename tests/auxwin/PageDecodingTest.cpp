// SPDX-License-Identifier: GPL-3.0-or-later
#include "auxwin/PageDecoding.h"

#include <gtest/gtest.h>

namespace
{

// "软件" in GBK and in UTF-8.
const QByteArray SoftGbk("\xc8\xed\xbc\xfe");
const QByteArray SoftUtf8("\xe8\xbd\xaf\xe4\xbb\xb6");

struct TDecodeCase {
    const char *Name;
    QByteArray Body;
    QByteArray ContentType;
    QByteArray Charset; // declared, empty for none
};

TEST(PageDecoding, FindsTheCharsetAndDecodesTheChineseText)
{
    const TDecodeCase cases[] = {
        { "HeaderCharset", "<p>" + SoftGbk, "text/html; charset=GBK", "gbk" },
        { "HeaderQuotedCharset", "<p>" + SoftUtf8, "text/html; charset=\"utf-8\"", "utf-8" },
        { "HeaderWinsOverMeta", "<meta charset=utf-8><p>" + SoftGbk, "text/html;charset=gb2312", "gb2312" },
        { "Html5Meta", "<html><head><meta charset=\"gb2312\"></head><p>" + SoftGbk, "text/html", "gb2312" },
        { "HttpEquivMeta", "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=gbk\"><p>" + SoftGbk, {},
            "gbk" },
        { "Utf8ByteOrderMark", "\xef\xbb\xbf<p>" + SoftUtf8, "text/html", "utf-8" },
        { "UndeclaredUtf8", "<p>" + SoftUtf8, "text/html", "" },
        { "UndeclaredGbk", "<p>" + SoftGbk, "text/html", "" },
        { "UnknownCharsetFallsBackToSniffing", "<p>" + SoftGbk, "text/html; charset=x-nonsense", "x-nonsense" },
    };
    for (const TDecodeCase &c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(DeclaredPageCharset(c.Body, c.ContentType), c.Charset);
        const QString text = DecodePage(c.Body, c.ContentType);
        EXPECT_TRUE(text.endsWith(QStringLiteral("<p>软件"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QChar(0xfeff)));
    }
}

TEST(PageDecoding, MetaFarDownThePageIsIgnored)
{
    const QByteArray body = QByteArray(2000, ' ') + "<meta charset=gbk><p>" + SoftUtf8;
    EXPECT_EQ(DeclaredPageCharset(body, "text/html"), "");
    EXPECT_TRUE(DecodePage(body, "text/html").endsWith(QStringLiteral("软件")));
}

TEST(PageDecoding, BadBytesBecomeReplacementCharacters)
{
    const QString text = DecodePage(QByteArray("a\xff\xff"
                                               "b"),
        "text/html; charset=utf-8");
    EXPECT_TRUE(text.startsWith('a'));
    EXPECT_TRUE(text.endsWith('b'));
    EXPECT_TRUE(text.contains(QChar::ReplacementCharacter));
}

} // namespace
