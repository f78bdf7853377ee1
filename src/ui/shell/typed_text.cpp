#include "ui/shell/typed_text.h"

#include "core/codepage.h"

namespace xunda {

std::string TypedText(const QString& text) {
    return MakeGbkSafe(WithoutNul(text).toStdString());
}

QString WithoutNul(QString text) {
    return text.remove(QChar(u'\0'));
}

}  // namespace xunda
