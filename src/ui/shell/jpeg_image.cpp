#include "ui/shell/jpeg_image.h"

#include <csetjmp>
#include <cstdio>

// clang-format off: jpeglib.h needs size_t and FILE declared before it
#include <jpeglib.h>
// clang-format on

namespace xunda {

namespace {
// libjpeg's default error handler ends the process; this one jumps back to the decoder. Warnings
// (a stream that ends early is only a warning to libjpeg) count as damage too.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    bool warned = false;
};

void ErrorExit(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void EmitMessage(j_common_ptr info, int level) {
    if (level < 0) reinterpret_cast<ErrorManager*>(info->err)->warned = true;
}

// Runs the decompression; every object with a destructor lives outside the setjmp frame.
bool Decode(jpeg_decompress_struct& cinfo, ErrorManager& errors, const QByteArray& bytes, QImage& image) {
    if (setjmp(errors.jump)) return false;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                   QImage::Format_RGB888);
    if (image.isNull()) return false;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    return !errors.warned;
}
}  // namespace

QImage DecodeJpeg(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    jpeg_decompress_struct cinfo{};
    ErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.emit_message = EmitMessage;
    QImage image;
    const bool ok = Decode(cinfo, errors, bytes, image);
    jpeg_destroy_decompress(&cinfo);
    return ok ? image : QImage();
}

}  // namespace xunda
