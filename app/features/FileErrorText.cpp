#include "FileErrorText.h"

String FileErrorText(DWORD dwError) {
  switch (dwError) {
    case ERROR_DISK_FULL:
      return "磁盘已满";
    case ERROR_ACCESS_DENIED:
      return "没有权限，或者它是文件夹";
    case ERROR_FILE_NOT_FOUND:
      return "文件不存在";
    case ERROR_PATH_NOT_FOUND:
      return "文件夹不存在";
    case ERROR_FILENAME_EXCED_RANGE:
      return "文件名太长";
    case ERROR_DEVICE_REMOVED:
    case ERROR_INVALID_HANDLE:
      return "端口已断开或已关闭";
    case ERROR_WRITE_FAULT:
      return "端口没有收下全部数据";
    case ERROR_NO_DATA:
      return "管道的读取端已关闭";
    default:
      return String().sprintf("错误代码 %u", static_cast<unsigned>(dwError));
  }
}
