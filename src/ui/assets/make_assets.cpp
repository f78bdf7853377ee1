// Draws the program's pictures, makes its default sounds and writes them as a C++ source file of
// byte arrays:
//   make_assets <output.cpp>
// The welcome picture is JPEG (encoded with libjpeg, as the program decodes it), the icon PNG, the
// sounds short WAV files (16-bit PCM, mono) of a few soft tones.
#include <QBuffer>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <string>

// clang-format off: jpeglib.h needs size_t and FILE declared before it
#include <jpeglib.h>
// clang-format on

namespace {

void DrawEnvelope(QPainter& p, const QRectF& r, const QColor& paper, const QColor& line) {
    p.setPen(QPen(line, r.width() / 24.0));
    p.setBrush(paper);
    p.drawRoundedRect(r, r.width() / 16.0, r.width() / 16.0);
    QPainterPath flap;
    flap.moveTo(r.topLeft());
    flap.lineTo(r.center().x(), r.top() + r.height() * 0.58);
    flap.lineTo(r.topRight());
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);
}

QImage Welcome() {
    QImage image(560, 380, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, image.height());
    sky.setColorAt(0, QColor(226, 240, 252));
    sky.setColorAt(0.62, QColor(255, 255, 255));
    sky.setColorAt(0.63, QColor(120, 174, 214));
    sky.setColorAt(1, QColor(40, 96, 150));
    p.fillRect(image.rect(), sky);
    // A small boat on the water carrying a letter.
    QPainterPath hull;
    hull.moveTo(330, 232);
    hull.lineTo(490, 232);
    hull.lineTo(462, 262);
    hull.lineTo(356, 262);
    hull.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 86, 40));
    p.drawPath(hull);
    p.setBrush(QColor(90, 60, 30));
    p.drawRect(QRectF(407, 130, 5, 102));
    DrawEnvelope(p, QRectF(416, 140, 64, 44), Qt::white, QColor(40, 96, 150));
    QFont title(QStringLiteral("Noto Sans CJK SC"));
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(30, 70, 120));
    p.drawText(QRectF(30, 50, 500, 50), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("泊舟讯达短信通"));
    QFont sub(QStringLiteral("Noto Sans CJK SC"));
    sub.setPixelSize(18);
    p.setFont(sub);
    p.setPen(QColor(70, 110, 150));
    p.drawText(QRectF(32, 100, 500, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("订阅版 · 欢迎使用"));
    return image;
}

QImage Icon() {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 110, 180));
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    DrawEnvelope(p, QRectF(12, 18, 40, 28), Qt::white, QColor(40, 110, 180));
    return image;
}

std::string EncodeJpeg(const QImage& image) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width());
    cinfo.image_height = static_cast<JDIMENSION>(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<uchar*>(image.constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string bytes(reinterpret_cast<char*>(out), size);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}

std::string EncodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// One tone of `ms` milliseconds for each frequency, each fading in and out so that it does not click.
std::string Tones(std::initializer_list<double> frequencies, int ms) {
    constexpr int kRate = 22050;
    const int perTone = kRate * ms / 1000;
    std::string samples;
    for (double f : frequencies) {
        for (int i = 0; i < perTone; ++i) {
            const double fade = std::sin(M_PI * i / perTone);
            const double value = 0.5 * fade * std::sin(2 * M_PI * f * i / kRate);
            PutLittleEndian(samples, static_cast<std::uint16_t>(static_cast<std::int16_t>(value * 32767)), 2);
        }
    }
    std::string wav = "RIFF";
    PutLittleEndian(wav, static_cast<std::uint32_t>(36 + samples.size()), 4);
    wav += "WAVEfmt ";
    PutLittleEndian(wav, 16, 4);         // size of the format chunk
    PutLittleEndian(wav, 1, 2);          // PCM
    PutLittleEndian(wav, 1, 2);          // mono
    PutLittleEndian(wav, kRate, 4);      // samples per second
    PutLittleEndian(wav, kRate * 2, 4);  // bytes per second
    PutLittleEndian(wav, 2, 2);          // bytes per sample
    PutLittleEndian(wav, 16, 2);         // bits per sample
    wav += "data";
    PutLittleEndian(wav, static_cast<std::uint32_t>(samples.size()), 4);
    return wav + samples;
}

void WriteArray(std::ofstream& out, const char* function, const std::string& bytes) {
    out << "QByteArray " << function << "() {\n    static const unsigned char data[] = {";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out << (i % 20 == 0 ? "\n        " : "")
            << static_cast<unsigned>(static_cast<unsigned char>(bytes[i])) << ",";
    }
    out << "\n    };\n    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), sizeof "
           "data);\n}\n\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_assets <output.cpp>\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << "// Generated by make_assets; do not edit.\n#include \"ui/shell/assets.h\"\n\nnamespace xunda "
           "{\n\n";
    WriteArray(out, "WelcomeJpeg", EncodeJpeg(Welcome()));
    WriteArray(out, "AppIconPng", EncodePng(Icon()));
    WriteArray(out, "IncomingWav", Tones({660, 880}, 120));   // rising: something arrived
    WriteArray(out, "ReportWav", Tones({988}, 120));          // one short high note
    WriteArray(out, "SendErrorWav", Tones({330, 262}, 180));  // falling and low: something failed
    out << "}  // namespace xunda\n";
    out.close();
    return out ? 0 : 1;
}
