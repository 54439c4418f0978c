// Tr and the catalogs behind it: the program's own, compiled in under
// :/kestrix/translations, and Qt's, from Qt's translations folder.
#include "toolkit/translation.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdlib>
#include <memory>

#include "language_choice.h"
#include "qt_text.h"

const char* const kSourceLanguage = "zh_CN";

namespace {

String g_language = kSourceLanguage;
std::unique_ptr<QTranslator> g_own;
std::unique_ptr<QTranslator> g_qt;

QString CatalogFile(const std::string& language) {
  return QStringLiteral(":/kestrix/translations/kestrix_%1.qm").arg(QString::fromStdString(language));
}

bool HasCatalog(const std::string& language) { return QFile::exists(CatalogFile(language)); }

// Puts the translator of catalog Name (in Folder) in Slot, in place of the
// one there; none when it cannot be loaded.
void Install(std::unique_ptr<QTranslator>& slot, const QString& name, const QString& folder) {
  if (slot) QCoreApplication::removeTranslator(slot.get());
  slot = std::make_unique<QTranslator>();
  if (slot->load(name, folder))
    QCoreApplication::installTranslator(slot.get());
  else
    slot.reset();
}

}  // namespace

String Tr(const char* Context, const char* Source) { return FromQString(QCoreApplication::translate(Context, Source)); }

String TrText(const char* Context, const String& Source) { return Tr(Context, Source.c_str()); }

String Fill(const String& Pattern, std::initializer_list<String> Args) {
  const std::string& pattern = Pattern.Utf8();
  std::string out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (pattern[i] == '%' && next == '%') {
      out += '%';
      ++i;
    } else if (pattern[i] == '%' && next >= '1' && next <= '9' && static_cast<size_t>(next - '1') < Args.size()) {
      out += (Args.begin() + (next - '1'))->Utf8();
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return String(std::move(out));
}

String UseLanguage(const String& Choice) {
  std::string language = Choice.Utf8();
  if (language != kSourceLanguage && !HasCatalog(language))
    language = ChooseLanguage([](const char* name) { return std::getenv(name); }, HasCatalog);
  if (language == kSourceLanguage) {
    if (g_own) QCoreApplication::removeTranslator(g_own.get());
    g_own.reset();
  } else {
    Install(g_own, CatalogFile(language), QString());
  }
  // Qt's own texts: its Chinese for the source language, its English (the
  // texts as written) for English.
  Install(g_qt, QStringLiteral("qtbase_") + QString::fromStdString(language),
          QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  g_language = String(language);
  return g_language;
}

String LanguageInUse() { return g_language; }
