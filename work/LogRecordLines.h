// The line numbers that the program's log records carry. They are the
// program's stable record identifiers: a reader of the log (or a script
// that watches it) tells the records apart by source and line, so a number
// here never changes when the code around the record moves, and a new
// record gets a number of its own.
#pragma once

namespace LogRecordLine {

// Source "ReadData": a delivery to the window failed.
constexpr int kDeliveryException = 81;  // a standard exception, its text as message
constexpr int kDeliveryUnknown = 85;    // anything else: "Unknow exception!"

// Source "Unit1": opening a port and the remembered settings.
constexpr int kSettingsDamaged = 51;      // the settings file was damaged and put aside
constexpr int kOpenFailure = 67;          // "不能打开 COMn：cause"
constexpr int kOpenRemark = 72;           // what an open had to remark
constexpr int kSettingsNotWritten = 128;  // the settings file cannot be written

// Source "cxLog": records the queue turned away or a failed write lost.
constexpr int kRecordsDropped = 178;

}  // namespace LogRecordLine
