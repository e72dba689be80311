// The one crossing between the core's byte strings and Qt's text. Linux names are bytes and
// need not be UTF-8; a name must come back from the window exactly as the folder gave it.
#pragma once

#include <QString>

#include <string>
#include <string_view>

// UTF-8 decoded; every byte that is not part of valid UTF-8 becomes the lone surrogate
// U+DC80 to U+DCFF (as Python's "surrogateescape" does), so toBytes gives it back unchanged.
QString fromBytes(std::string_view bytes);
// The inverse of fromBytes: text as UTF-8, each escaped byte as itself.
std::string toBytes(const QString& text);
// The text as a person should see it: each escaped byte shown as the replacement mark.
QString shown(QString text);
// The program's own texts, which the core keeps as UTF-8.
inline QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// A message as one line on standard error, behind the program's name: where nobody can answer
// a box. Control characters in a name would break the line; each becomes '?'.
void printErrorLine(std::string message);

// Qt 6.8 and later tell on standard error that a locale is not UTF-8 (LANG=C) as the first
// Qt object starts. Names are bytes here, whatever the locale, and the command line promises
// one line on standard error for a failure: so that notice is dropped, all else passed on.
void dropQtLocaleNotice();
