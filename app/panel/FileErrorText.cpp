#include "FileErrorText.h"

String FileErrorText(DWORD dwError) {
  switch (dwError) {
    case ERROR_DISK_FULL:
      return Tr("FileError", "磁盘已满");
    case ERROR_ACCESS_DENIED:
      // Also what a pipe, socket or device gets where a file is meant.
      return Tr("FileError", "没有权限，或者它不是普通文件（文件夹、管道或设备）");
    case ERROR_FILE_NOT_FOUND:
      return Tr("FileError", "文件不存在");
    case ERROR_PATH_NOT_FOUND:
      return Tr("FileError", "文件夹不存在");
    case ERROR_FILENAME_EXCED_RANGE:
      return Tr("FileError", "文件名太长");
    case ERROR_DEVICE_REMOVED:
    case ERROR_INVALID_HANDLE:
      return Tr("FileError", "端口已断开或已关闭");
    case ERROR_WRITE_FAULT:
      return Tr("FileError", "端口没有收下全部数据");
    case ERROR_NO_DATA:
      return Tr("FileError", "管道的读取端已关闭");
    case ERROR_PARTIAL_COPY:
      return Tr("FileError", "文件只写入了一部分");
    case ERROR_NOT_ENOUGH_QUOTA:
      return Tr("FileError", "磁盘写入太慢，等待写入的数据超过了上限");
    default:
      return Fill(Tr("FileError", "错误代码 %1"), {String().sprintf("%u", static_cast<unsigned>(dwError))});
  }
}
