#pragma once
// The launch tag command: pairs of a key, "=" and a value, separated by ";", keys in any case, as in
// "Run = w_jsq_dx1" or "Run = NotePad.exe ReadMe.txt;OpenType=Exe". No widgets here.
#include <QString>

namespace launch {

// The value of `key` in `tag`: the first occurrence of the key's letters (searched as plain text, also
// inside a longer word) that is followed, after optional blanks, by "=" gives the text up to the next
// ";", blanks trimmed. An empty value stays empty; a key never followed by "=" gives `dflt`.
QString tagValue(const QString &tag, const QString &key, const QString &dflt);

// Blanks (ASCII 32 only) removed on both ends, or the leading ones only.
QString trimBlanks(const QString &text);
QString trimLeadingBlanks(const QString &text);

// A command line's program file: the part before its first blank, with the platform's program
// extension appended when it names none (the extension only serves the file tests).
QString programFileOf(const QString &commandLine);

// The program extension of this platform: ".exe" on Windows, none elsewhere.
QString programExtension();
QChar pathSeparator();

} // namespace launch
