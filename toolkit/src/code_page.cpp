#include "code_page.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr const char* kAnsiCodePage = "GBK";

}  // namespace

std::string Utf8ToAnsi(std::string_view utf8) {
  QStringEncoder encoder(kAnsiCodePage, QStringConverter::Flag::Stateless);
  QByteArray bytes = encoder.encode(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::string AnsiToUtf8(std::string_view ansi) {
  QStringDecoder decoder(kAnsiCodePage, QStringConverter::Flag::Stateless);
  QString text = decoder.decode(QByteArrayView(ansi.data(), static_cast<qsizetype>(ansi.size())));
  QByteArray utf8 = text.toUtf8();
  return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
}

int AnsiLengthOfUtf8(std::string_view utf8) { return static_cast<int>(Utf8ToAnsi(utf8).size()); }
