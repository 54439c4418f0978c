// TDateTime, the clock and the locale's date-time text.
#include "toolkit/date_time.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <cmath>

#include "qt_text.h"
#include "toolkit/translation.h"

namespace {

constexpr double kMillisecondsPerDay = 86400000.0;
const QDate kEpoch(1899, 12, 30);

// The time format with seconds, without any time zone part.
QString TimeFormatWithoutZone(const QLocale& locale) {
  // Worked out once per format: the status bar's clock asks every second,
  // and each expression would be compiled again at each call.
  thread_local QString lastFull;
  thread_local QString lastFormat;
  const QString full = locale.timeFormat(QLocale::LongFormat);
  if (!lastFormat.isNull() && full == lastFull) return lastFormat;
  QString format = full;
  format.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*$")));
  format.remove(QRegularExpression(QStringLiteral("^\\s*t+\\s*")));
  format.replace(QRegularExpression(QStringLiteral("\\s+t+\\s+")), QStringLiteral(" "));
  lastFull = full;
  lastFormat = format;
  return format;
}

// Splits into whole days and milliseconds of the day, rounded to the
// nearest millisecond (carrying into the next day).
void Split(TDateTime value, qint64& days, qint64& milliseconds) {
  double whole = std::floor(value.Val);
  days = static_cast<qint64>(whole);
  milliseconds = std::llround((value.Val - whole) * kMillisecondsPerDay);
  if (milliseconds >= static_cast<qint64>(kMillisecondsPerDay)) {
    ++days;
    milliseconds = 0;
  }
}

QDate DateOf(TDateTime value) {
  qint64 days, milliseconds;
  Split(value, days, milliseconds);
  return kEpoch.addDays(days);
}

QTime TimeOf(TDateTime value) {
  qint64 days, milliseconds;
  Split(value, days, milliseconds);
  return QTime::fromMSecsSinceStartOfDay(static_cast<int>(milliseconds));
}

// Dates and times are written as the window's language writes them: a
// window in Chinese, the source language, writes Chinese dates under any
// locale that is not Chinese (a C or English one included); any other
// window writes them as the system's locale says.
QLocale WindowLocale() {
  const QLocale system = QLocale::system();
  if (system.language() != QLocale::Chinese && LanguageInUse() == String(kSourceLanguage))
    return QLocale(QLocale::Chinese, QLocale::China);
  return system;
}

String DateToStr(const QLocale& locale, TDateTime DateTime) {
  return FromQString(locale.toString(DateOf(DateTime), locale.dateFormat(QLocale::ShortFormat)));
}

String TimeToStr(const QLocale& locale, TDateTime DateTime) {
  return FromQString(locale.toString(TimeOf(DateTime), TimeFormatWithoutZone(locale)));
}

}  // namespace

TDateTime EncodeDate(int Year, int Month, int Day) { return TDateTime(kEpoch.daysTo(QDate(Year, Month, Day))); }

TDateTime EncodeTime(int Hour, int Minute, int Second, int Millisecond) {
  return TDateTime(((Hour * 60.0 + Minute) * 60.0 + Second) * 1000.0 / kMillisecondsPerDay +
                   Millisecond / kMillisecondsPerDay);
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& Time) {
  return TDateTime(EncodeDate(Time.wYear, Time.wMonth, Time.wDay).Val +
                   EncodeTime(Time.wHour, Time.wMinute, Time.wSecond, Time.wMilliseconds).Val);
}

void DateTimeToSystemTime(TDateTime DateTime, SYSTEMTIME& Time) {
  QDate date = DateOf(DateTime);
  QTime time = TimeOf(DateTime);
  Time.wYear = static_cast<WORD>(date.year());
  Time.wMonth = static_cast<WORD>(date.month());
  Time.wDayOfWeek = static_cast<WORD>(date.dayOfWeek() % 7);
  Time.wDay = static_cast<WORD>(date.day());
  Time.wHour = static_cast<WORD>(time.hour());
  Time.wMinute = static_cast<WORD>(time.minute());
  Time.wSecond = static_cast<WORD>(time.second());
  Time.wMilliseconds = static_cast<WORD>(time.msec());
}

TDateTime Now() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return SystemTimeToDateTime(now);
}

String DateTimeToStr(TDateTime DateTime) {
  qint64 days, milliseconds;
  Split(DateTime, days, milliseconds);
  const QLocale locale = WindowLocale();
  if (milliseconds == 0) return DateToStr(locale, DateTime);
  return DateToStr(locale, DateTime) + " " + TimeToStr(locale, DateTime);
}
