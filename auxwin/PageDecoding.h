// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Turning the bytes of a fetched web page into text. The page's character set is taken, in this order, from the
// Content-Type header, from a byte-order mark, or from a <meta> charset declaration near the top of the page; a page
// that declares nothing is read as UTF-8 when its bytes are valid UTF-8 and as GBK otherwise.

// The declared character set (lower case), empty when the page declares none.
QByteArray DeclaredPageCharset(const QByteArray &body, const QByteArray &contentType);

// The page's text. Bytes that do not fit the character set become replacement characters; nothing is dropped.
QString DecodePage(const QByteArray &body, const QByteArray &contentType);
