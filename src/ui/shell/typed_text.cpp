#include "ui/shell/typed_text.h"

#include "core/codepage.h"

namespace xunda {

std::string TypedText(const QString& text) {
    return MakeGbkSafe(QString(text).remove(QChar(u'\0')).toStdString());
}

}  // namespace xunda
