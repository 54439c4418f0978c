// Tr, TrMessage and the catalogs behind them: the program's own, compiled in under
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

namespace {

String FillWith(const String& Pattern, const String* Args, size_t Count) {
  const std::string& pattern = Pattern.Utf8();
  std::string out;
  out.reserve(pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (pattern[i] == '%' && next == '%') {
      out += '%';
      ++i;
    } else if (pattern[i] == '%' && next >= '1' && next <= '9' && static_cast<size_t>(next - '1') < Count) {
      out += Args[next - '1'].Utf8();
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return String(std::move(out));
}

}  // namespace

String Fill(const String& Pattern, std::initializer_list<String> Args) {
  return FillWith(Pattern, Args.begin(), Args.size());
}

String Fill(const String& Pattern, const std::vector<String>& Args) {
  return FillWith(Pattern, Args.data(), Args.size());
}

TrMessage::TrMessage(const char* Context, const char* Pattern) : _Context(Context), _Pattern(Pattern) {}

TrMessage TrMessage::AsItStands(const String& Text) {
  TrMessage message;
  message._Pattern = Text;
  return message;
}

TrMessage TrMessage::Arg(const String& Value) const { return Arg(AsItStands(Value)); }

TrMessage TrMessage::Arg(const TrMessage& Value) const {
  TrMessage message = *this;
  message._Args.push_back(Value);
  return message;
}

String TrMessage::Shown() const { return Text(true); }

String TrMessage::Logged() const { return Text(false); }

String TrMessage::Text(bool bTranslated) const {
  if (!_Context) return _Pattern;
  const String pattern = bTranslated ? TrText(_Context, _Pattern) : _Pattern;
  if (_Args.empty()) return pattern;
  std::vector<String> values;
  for (const TrMessage& arg : _Args) values.push_back(arg.Text(bTranslated));
  return FillWith(pattern, values.data(), values.size());
}

String LanguageFor(const String& Choice) {
  if (Choice == String(kSourceLanguage) || HasCatalog(Choice.Utf8())) return Choice;
  return ChooseLanguage([](const char* name) { return std::getenv(name); }, HasCatalog);
}

String UseLanguage(const String& Choice) {
  const std::string language = LanguageFor(Choice).Utf8();
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
