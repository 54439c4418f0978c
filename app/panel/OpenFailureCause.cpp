#include "OpenFailureCause.h"

#include "LogRecordLines.h"
#include "cxLog.h"

namespace {

const INT8 kLevelWarning = 1;

void Log(int nLine, const String& Message) {
  try {
    CxLog::Log("Unit1", nLine, kLevelWarning, AnsiString(Message).c_str());
  } catch (...) {
    // The log is being torn down at exit; the box has said it all.
  }
}

// Who holds a port or a terminal: " picocom（进程 1234）", or "进程 1234 "
// when the program is not known.
TrMessage Holder(const SERIAL_OPEN_REPORT& Report) {
  const String pid = IntToStr(static_cast<int>(Report.dwHolderProcessId));
  const String program = String(AnsiString(Report.szHolderProgram));
  if (program.IsEmpty()) return TrMessage("OpenFailure", "进程 %1 ").Arg(pid);
  return TrMessage("OpenFailure", " %1（进程 %2）").Arg(program).Arg(pid);
}

// The device the port stands for, with a blank after it; nothing when the
// port stands for no device.
String DeviceText(const SERIAL_OPEN_REPORT& Report) {
  const String device = String(AnsiString(Report.szDevice));
  return device.IsEmpty() ? String() : device + " ";
}

TrMessage InUseCause(const SERIAL_OPEN_REPORT& Report) {
  if (Report.dwHolderProcessId == GetCurrentProcessId()) return OtherPanelHoldsThePort();
  if (Report.dwHolderProcessId != 0) return TrMessage("OpenFailure", "串口正被%1使用。").Arg(Holder(Report));
  return TrMessage("OpenFailure", "串口正被其他程序使用。");
}

}  // namespace

TrMessage OtherPanelHoldsThePort() { return TrMessage("OpenFailure", "串口已在本程序的另一个面板中打开。"); }

TrMessage OpenFailureCause(DWORD Error, const SERIAL_OPEN_REPORT& Report) {
  switch (Error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return TrMessage("OpenFailure", "没有这个设备：串口未插入或已拔出。");
    case ERROR_ACCESS_DENIED:
      // A port in use is refused with this code too, as Windows refuses it;
      // the open's report tells which it was.
      if (Report.bInUse) return InUseCause(Report);
      return TrMessage(
                 "OpenFailure",
                 "没有权限打开 %1：请把用户加入 dialout 组（sudo usermod -aG dialout 用户名），然后注销并重新登录。")
          .Arg(DeviceText(Report));
    case ERROR_DEVICE_IN_USE:
      return TrMessage("OpenFailure", "%1是%2会话的终端，不是串口。").Arg(DeviceText(Report)).Arg(Holder(Report));
    case ERROR_NOT_SUPPORTED:
      return TrMessage("OpenFailure", "%1不是串口。").Arg(DeviceText(Report));
    // A port on a server: the device text is its address.
    case ERROR_CONNECTION_REFUSED:
      return TrMessage("OpenFailure", "%1拒绝连接：那台机器上没有服务器在这个端口等待连接。").Arg(DeviceText(Report));
    case WSAHOST_NOT_FOUND:
    case WSANO_RECOVERY:
      return TrMessage("OpenFailure", "%1的主机名无法解析：没有这台主机。").Arg(DeviceText(Report));
    case WSATRY_AGAIN:
      return TrMessage("OpenFailure", "%1的主机名暂时无法解析：名字服务器没有应答。").Arg(DeviceText(Report));
    case ERROR_SEM_TIMEOUT:
      return TrMessage("OpenFailure", "连接 %1超时：服务器没有应答。").Arg(DeviceText(Report));
    case ERROR_HOST_UNREACHABLE:
    case ERROR_NETWORK_UNREACHABLE:
      return TrMessage("OpenFailure", "到不了 %1：网络不通。").Arg(DeviceText(Report));
    case ERROR_NETWORK_ACCESS_DENIED:
      return TrMessage("OpenFailure", "连接 %1被本机拒绝（防火墙规则）。").Arg(DeviceText(Report));
    case ERROR_DEVICE_REMOVED:
      return TrMessage("OpenFailure", "%1在打开的过程中断开了（设备被拔出，或服务器关闭了连接）。")
          .Arg(DeviceText(Report));
    case ERROR_NETNAME_DELETED:
      return TrMessage("OpenFailure", "%1的服务器关闭了连接（也许它已被别人占用）。").Arg(DeviceText(Report));
    default:
      return TrMessage("OpenFailure", "错误代码 %1。").Arg(IntToStr(static_cast<int>(Error)));
  }
}

TrMessage OpenFailureCause(DWORD Error) { return OpenFailureCause(Error, LastSerialOpenReport()); }

void LogOpenFailure(const String& PortText, const TrMessage& Cause) {
  Log(LogRecordLine::kOpenFailure, String("不能打开 ") + PortText + "：" + Cause.Logged());
  // The box names the cause; why the open came to it (a lock name taken by
  // something that is no lock) is for the log.
  LogOpenRemark(PortText);
}

void LogOpenRemark(const String& PortText) {
  const SERIAL_OPEN_REPORT report = LastSerialOpenReport();
  if (report.szRemark[0] != '\0')
    Log(LogRecordLine::kOpenRemark, PortText + ": " + String(AnsiString(report.szRemark)));
}
