#include "ui/shell/text_box.h"

#include <QMimeData>

namespace xunda {

bool TextBox::canInsertFromMimeData(const QMimeData* source) const {
    return source && source->hasText();
}

void TextBox::insertFromMimeData(const QMimeData* source) {
    if (canInsertFromMimeData(source)) QPlainTextEdit::insertFromMimeData(source);
}

}  // namespace xunda
