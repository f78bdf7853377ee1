// JPEG pictures decoded with libjpeg. A damaged or truncated file gives a null image; the decoder
// never ends the process.
#pragma once

#include <QByteArray>
#include <QImage>

namespace xunda {

QImage DecodeJpeg(const QByteArray& bytes);

}  // namespace xunda
