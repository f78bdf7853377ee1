// Pictures and sounds the program carries: made at build time by assets/make_assets.cpp.
#pragma once

#include <QByteArray>

namespace xunda {

// The welcome picture (JPEG) shown before a service page has loaded.
QByteArray WelcomeJpeg();
// The program's icon (PNG), also the tray icon.
QByteArray AppIconPng();
// The default sounds (WAV) of incoming messages, delivery reports and send errors.
QByteArray IncomingWav();
QByteArray ReportWav();
QByteArray SendErrorWav();

}  // namespace xunda
