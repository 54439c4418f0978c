// Texts the user reads, in the window's language.
//
// The window's texts are written in the code in Chinese, the program's
// source language; other languages come from catalogs (translations/
// kestrix_<language>.ts, compiled into the program). Mark every text a user
// reads where it is set, with a context naming the feature or file it
// belongs to:
//
//   Button->Caption = Tr("PortPanel", "打开");
//   Item->Hint = Tr("Capture", "保存接收数据到文件");
//
// Context and text must be string literals (adjacent literals join), so
// that scripts/update_translations finds them; it adds new texts to every
// catalog, where they wait for their translation.
//
// A text with values in it is one pattern with %1, %2... where the values
// go, translated first and filled afterwards, never built from pieces:
//
//   ShowMessage(Fill(Tr("Capture", "不能保存到 %1\n%2"), {FileName, Cause}));
//
// A text that is shown and also logged is a TrMessage: shown translated,
// logged as written. Its values are Arg'd in order, and may be messages
// themselves, translated with it (call it with parentheses, as Tr):
//
//   TrMessage cause = TrMessage("OpenFailure", "%1不是串口。").Arg(Device);
//   ShowMessage(cause.Shown());  Log(cause.Logged());
//
// A table of texts marks each entry with TR_MARK (which leaves the text as
// it is) and translates the entry where it is shown, with TrText and the
// same context:
//
//   const char* const kParities[] = {TR_MARK("Parity", "N (无)"), ...};
//   Box->Items->Add(TrText("Parity", kParities[i]));
//
// The toolkit's own texts (in toolkit/src) are marked the same way.
//
// Not translated: log records (they are read and searched as they stand),
// the settings file's keys and values, and texts that are not words (port
// names, numbers, "CR LF"). A text that must not change with the language
// (a name compared in code) is compared with what it was set to, never
// with a literal.
#pragma once

#include <initializer_list>
#include <vector>

#include "toolkit/strings.h"

// Source in the window's language: the catalog's translation when it has
// one, else Source itself.
String Tr(const char* Context, const char* Source);
// The same for a text marked with TR_MARK and kept in a table.
String TrText(const char* Context, const String& Source);
#define TR_MARK(Context, Source) Source

// Pattern with %1 to %9 replaced by Args in order; "%%" gives "%". A
// placeholder with no argument, and any other '%', stay as they are. Values
// are put in as they stand: a "%2" inside a value is not filled again.
String Fill(const String& Pattern, std::initializer_list<String> Args);
// The same with values counted only when the program runs.
String Fill(const String& Pattern, const std::vector<String>& Args);

// A pattern (marked as by Tr) with its values, kept untranslated until it
// is shown. An empty message is one with an empty pattern.
class TrMessage {
 public:
  TrMessage() = default;
  TrMessage(const char* Context, const char* Pattern);
  // A text the same in every language (a name, a number).
  static TrMessage AsItStands(const String& Text);

  // The next value (%1, %2...): a text put in as it stands, or a message
  // translated with this one.
  TrMessage Arg(const String& Value) const;
  TrMessage Arg(const TrMessage& Value) const;

  bool IsEmpty() const { return _Pattern.IsEmpty(); }
  // In the window's language.
  String Shown() const;
  // As written in the code, for the log.
  String Logged() const;

 private:
  String Text(bool bTranslated) const;

  const char* _Context = nullptr;  // null for a value put in as it stands
  String _Pattern;
  std::vector<TrMessage> _Args;
};

// The languages a window can be shown in: the source language (Chinese,
// "zh_CN") and each catalog's, by catalog name ("en").
extern const char* const kSourceLanguage;

// Chooses the window's language and loads its catalog with Qt's own
// translation of its standard texts (edit menus, dialog buttons). Choice is
// a language name, or empty for the desktop's choice (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG, as gettext reads them). Call after
// Application->Initialize and before the window is made; texts set before
// keep their language. Returns the language in use.
String UseLanguage(const String& Choice);
// The language UseLanguage(Choice) would choose now.
String LanguageFor(const String& Choice);
// The language in use: kSourceLanguage until UseLanguage chose another.
String LanguageInUse();
