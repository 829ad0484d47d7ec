#pragma once
// Per-cent coding of the translation request's text and of the service's reply.
// Both work on the bytes of a Text as held (Windows-1252); nothing is converted
// to or from UTF-8 here.
#include "text/text.h"

namespace vokabino {

// Copies the 82 pass-through bytes (letters, digits and ! # $ & ' ( ) * + , - . /
// : ; = ? @ _ ~) unchanged and writes every other byte as "%" with two upper-case
// hexadecimal digits. Reserved characters such as "&" are deliberately not escaped.
Text UrlEncode(const Text& text);

// Copies the bytes for which keep holds and writes every other byte as "%" with
// two upper-case hexadecimal digits. UrlEncode is this with its pass-through set.
Text PercentEncode(const Text& text, bool (*keep)(unsigned char byte));

// Turns "+" into a space and "%" with two hexadecimal digits (either case) into
// that byte. A "%" without two hexadecimal digits after it ends the result there
// (it and the rest are dropped); "%00" ends it too, since a Text holds no zero byte.
Text UrlDecode(const Text& text);

}  // namespace vokabino
