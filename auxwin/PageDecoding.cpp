// SPDX-License-Identifier: GPL-3.0-or-later
#include "auxwin/PageDecoding.h"

#include <QRegularExpression>
#include <QStringDecoder>

namespace
{

// A <meta> declaration counts only near the top of the page, as in browsers.
constexpr qsizetype MetaScanLength = 1024;

QByteArray CharsetFromHeader(const QByteArray &contentType)
{
    static const QRegularExpression pattern(
        QStringLiteral("charset\\s*=\\s*[\"']?([^\"';\\s]+)"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(contentType));
    return match.hasMatch() ? match.captured(1).toLatin1().toLower() : QByteArray();
}

QByteArray CharsetFromMeta(const QByteArray &body)
{
    static const QRegularExpression pattern(QStringLiteral("<meta[^>]*charset\\s*=\\s*[\"']?([A-Za-z0-9_.:-]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(body.left(MetaScanLength)));
    return match.hasMatch() ? match.captured(1).toLatin1().toLower() : QByteArray();
}

bool IsValidUtf8(const QByteArray &body)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(body);
    return !decoder.hasError();
}

} // namespace

QByteArray DeclaredPageCharset(const QByteArray &body, const QByteArray &contentType)
{
    QByteArray charset = CharsetFromHeader(contentType);
    if (!charset.isEmpty())
        return charset;
    if (const auto bom = QStringConverter::encodingForData(body))
        return QByteArray(QStringConverter::nameForEncoding(*bom)).toLower();
    return CharsetFromMeta(body);
}

QString DecodePage(const QByteArray &body, const QByteArray &contentType)
{
    const QByteArray charset = DeclaredPageCharset(body, contentType);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    // Undeclared or unknown: the page is most likely Chinese text in one of the two common encodings.
    QStringDecoder decoder(IsValidUtf8(body) ? "UTF-8" : "GBK");
    return decoder.decode(body);
}
