// Text typed or pasted into a box, as the program takes it in: every NUL dropped (a paste can
// carry one; no stored row, statement or request may hold it) and every character with no GBK
// form made "?" (MakeGbkSafe). Every box's text enters through here.
#pragma once

#include <QString>
#include <string>

namespace xunda {

std::string TypedText(const QString& text);
// A typed or pasted text with every NUL dropped and nothing else changed (a file's path).
QString WithoutNul(QString text);

}  // namespace xunda
