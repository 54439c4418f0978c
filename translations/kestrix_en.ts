<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Appearance</name>
    <message>
        <source>字体…</source>
        <translation>Font…</translation>
    </message>
    <message>
        <source>放大</source>
        <translation>Zoom in</translation>
    </message>
    <message>
        <source>缩小</source>
        <translation>Zoom out</translation>
    </message>
    <message>
        <source>原始大小</source>
        <translation>Actual size</translation>
    </message>
    <message>
        <source>接收区字体</source>
        <translation>Receive area font</translation>
    </message>
</context>
<context>
    <name>Capture</name>
    <message>
        <source>保存显示内容…</source>
        <translation>Save shown text…</translation>
    </message>
    <message>
        <source>保存接收数据到文件</source>
        <translation>Save received data to file</translation>
    </message>
    <message>
        <source>所有文件 (*)|*</source>
        <translation>All files (*)|*</translation>
    </message>
    <message>
        <source>停止保存</source>
        <translation>Stop saving</translation>
    </message>
    <message>
        <source>保存接收数据到文件…</source>
        <translation>Save received data to file…</translation>
    </message>
    <message>
        <source>保存到 %1（%2 字节）</source>
        <translation>Saving to %1 (%2 bytes)</translation>
    </message>
    <message>
        <source>保存显示内容</source>
        <translation>Save shown text</translation>
    </message>
    <message>
        <source>文本文件 (*.txt)|*.txt|所有文件 (*)|*</source>
        <translation>Text files (*.txt)|*.txt|All files (*)|*</translation>
    </message>
    <message>
        <source>保存接收数据已停止：收到的数据比写入磁盘快，等待写入的数据超过了上限。
%1
文件里是停止之前收到的全部数据，之后收到的没有保存。端口仍然打开。</source>
        <translation>Saving received data stopped: data arrived faster than the disk took it, and the data waiting to be written passed its limit.
%1
The file holds everything received before the stop; what arrived after it was not saved. The port is still open.</translation>
    </message>
    <message>
        <source>保存接收数据已停止：%1。
%2
已写入 %3 字节，之后收到的没有保存。端口仍然打开。</source>
        <translation>Saving received data stopped: %1.
%2
%3 bytes were written; what arrived after them was not saved. The port is still open.</translation>
    </message>
    <message>
        <source>正在保存显示内容（%1%）</source>
        <translation>Saving the shown text (%1%)</translation>
    </message>
</context>
<context>
    <name>Checksums</name>
    <message>
        <source>无校验</source>
        <translation>No checksum</translation>
    </message>
    <message>
        <source>Modbus CRC-16 (低字节在前)</source>
        <translation>Modbus CRC-16 (low byte first)</translation>
    </message>
    <message>
        <source>CRC-16/CCITT-FALSE (高字节在前)</source>
        <translation>CRC-16/CCITT-FALSE (high byte first)</translation>
    </message>
    <message>
        <source>CRC-16/XMODEM (高字节在前)</source>
        <translation>CRC-16/XMODEM (high byte first)</translation>
    </message>
    <message>
        <source>CRC-8/SMBUS (多项式 0x07)</source>
        <translation>CRC-8/SMBUS (polynomial 0x07)</translation>
    </message>
    <message>
        <source>CRC-32 (低字节在前)</source>
        <translation>CRC-32 (low byte first)</translation>
    </message>
    <message>
        <source>8 位累加和</source>
        <translation>8-bit sum</translation>
    </message>
    <message>
        <source>8 位异或</source>
        <translation>8-bit XOR</translation>
    </message>
</context>
<context>
    <name>Display</name>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>%1 毫秒</source>
        <translation>%1 ms</translation>
    </message>
    <message>
        <source>编码</source>
        <translation>Encoding</translation>
    </message>
    <message>
        <source>终端颜色</source>
        <translation>Terminal colours</translation>
    </message>
    <message>
        <source>十六进制+字符</source>
        <translation>Hex + characters</translation>
    </message>
    <message>
        <source>帧间隔</source>
        <translation>Frame gap</translation>
    </message>
    <message>
        <source>显示发送内容</source>
        <translation>Show sent data</translation>
    </message>
</context>
<context>
    <name>FileError</name>
    <message>
        <source>磁盘已满</source>
        <translation>The disk is full</translation>
    </message>
    <message>
        <source>没有权限，或者它不是普通文件（文件夹、管道或设备）</source>
        <translation>No permission, or it is not a regular file (a folder, pipe or device)</translation>
    </message>
    <message>
        <source>文件不存在</source>
        <translation>The file does not exist</translation>
    </message>
    <message>
        <source>文件夹不存在</source>
        <translation>The folder does not exist</translation>
    </message>
    <message>
        <source>文件名太长</source>
        <translation>The file name is too long</translation>
    </message>
    <message>
        <source>端口已断开或已关闭</source>
        <translation>The port was disconnected or closed</translation>
    </message>
    <message>
        <source>端口没有收下全部数据</source>
        <translation>The port did not take all the data</translation>
    </message>
    <message>
        <source>管道的读取端已关闭</source>
        <translation>The pipe&apos;s reading end is closed</translation>
    </message>
    <message>
        <source>错误代码 %1</source>
        <translation>Error code %1</translation>
    </message>
    <message>
        <source>文件只写入了一部分</source>
        <translation>The file took only part of the data</translation>
    </message>
    <message>
        <source>磁盘写入太慢，等待写入的数据超过了上限</source>
        <translation>The disk is too slow: the data waiting to be written passed its limit</translation>
    </message>
    <message>
        <source>不能保存到 %1
%2</source>
        <translation>Cannot save to %1
%2</translation>
    </message>
</context>
<context>
    <name>FileSend</name>
    <message>
        <source>请先打开端口，再发送文件。</source>
        <translation>Open the port first, then send the file.</translation>
    </message>
    <message>
        <source>发送文件</source>
        <translation>Send file</translation>
    </message>
    <message>
        <source>所有文件 (*)|*</source>
        <translation>All files (*)|*</translation>
    </message>
    <message>
        <source>不能发送文件 %1
%2</source>
        <translation>Cannot send the file %1
%2</translation>
    </message>
    <message>
        <source>发送文件中断：%1
%2
已发送 %3 字节。</source>
        <translation>Sending the file was interrupted: %1
%2
%3 bytes were sent.</translation>
    </message>
    <message>
        <source> 发送 %1</source>
        <translation> sent %1</translation>
    </message>
    <message>
        <source>取消发送文件</source>
        <translation>Cancel sending the file</translation>
    </message>
    <message>
        <source>发送文件 %1（%2 / %3 字节）</source>
        <translation>Sending %1 (%2 / %3 bytes)</translation>
    </message>
    <message>
        <source>端口的设备已断开。</source>
        <translation>The port&apos;s device was disconnected.</translation>
    </message>
    <message>
        <source>原始…</source>
        <translation>Raw…</translation>
    </message>
</context>
<context>
    <name>FileTransfer</name>
    <message>
        <source>发送文件</source>
        <translation>Send file</translation>
    </message>
    <message>
        <source>接收文件</source>
        <translation>Receive file</translation>
    </message>
    <message>
        <source>收到 ZMODEM 发送时直接接收</source>
        <translation>Receive ZMODEM sends without asking</translation>
    </message>
    <message>
        <source>取消传输</source>
        <translation>Cancel transfer</translation>
    </message>
    <message>
        <source>文件传输正在进行：请等它结束，或先取消。</source>
        <translation>A file transfer is running: wait for it to end, or cancel it first.</translation>
    </message>
    <message>
        <source>用 %1 发送文件</source>
        <translation>Send files by %1</translation>
    </message>
    <message>
        <source>请先打开端口，再接收文件。</source>
        <translation>Open the port first, then receive files.</translation>
    </message>
    <message>
        <source>用 %1 接收文件</source>
        <translation>Receive files by %1</translation>
    </message>
    <message>
        <source>不能在 %1 接收文件
%2</source>
        <translation>Cannot receive files in %1
%2</translation>
    </message>
    <message>
        <source>找不到 lrzsz 的程序 %1：请安装 lrzsz（Debian：apt install lrzsz），它的程序要在 PATH 上。</source>
        <translation>lrzsz&apos;s program %1 was not found: install lrzsz (Debian: apt install lrzsz); its programs must be on the PATH.</translation>
    </message>
    <message>
        <source>不能运行 %1
%2</source>
        <translation>Cannot run %1
%2</translation>
    </message>
    <message>
        <source>已取消</source>
        <translation>cancelled</translation>
    </message>
    <message>
        <source>对方 %1 秒没有回答</source>
        <translation>no answer from the far end in %1 s</translation>
    </message>
    <message>
        <source>端口已关闭</source>
        <translation>the port was closed</translation>
    </message>
    <message>
        <source>对方开始用 ZMODEM 发送文件。要接收吗？</source>
        <translation>The far end started sending files by ZMODEM. Receive them?</translation>
    </message>
    <message>
        <source>文件传输正在进行：其他发送没有发送。</source>
        <translation>A file transfer is running: other sends were not sent.</translation>
    </message>
    <message>
        <source>接收失败：%1</source>
        <translation>receive failed: %1</translation>
    </message>
    <message>
        <source>已发送 %1（%2 字节，%3 秒）</source>
        <translation>sent %1 (%2 bytes, %3 s)</translation>
    </message>
    <message>
        <source>发送失败：%1</source>
        <translation>send failed: %1</translation>
    </message>
    <message>
        <source>；拒绝了发送方的文件名 %1</source>
        <translation>; refused the sender&apos;s file name %1</translation>
    </message>
    <message>
        <source>接收方取消了传输</source>
        <translation>the receiver cancelled</translation>
    </message>
    <message>
        <source>发送方取消了传输</source>
        <translation>the sender cancelled</translation>
    </message>
    <message>
        <source>重试次数太多</source>
        <translation>too many retries</translation>
    </message>
    <message>
        <source>对方没有回答</source>
        <translation>no answer from the far end</translation>
    </message>
    <message>
        <source>发送方的文件名不能用</source>
        <translation>the sender&apos;s file name cannot be used</translation>
    </message>
    <message>
        <source>%1 结束，退出码 %2：%3</source>
        <translation>%1 ended with exit code %2: %3</translation>
    </message>
    <message>
        <source>已接收 %1，在 %2</source>
        <translation>received %1 in %2</translation>
    </message>
    <message>
        <source>没有收到文件</source>
        <translation>no file received</translation>
    </message>
    <message>
        <source>%1：第 %2 块，重试 %3 次，%4 字节/秒</source>
        <translation>%1: block %2, %3 retries, %4 bytes/s</translation>
    </message>
</context>
<context>
    <name>Find</name>
    <message>
        <source>查找…</source>
        <translation>Find…</translation>
    </message>
</context>
<context>
    <name>FindBox</name>
    <message>
        <source>查找内容</source>
        <translation>Find what</translation>
    </message>
    <message>
        <source>上一个</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>上一个 (Shift+F3)</source>
        <translation>Previous (Shift+F3)</translation>
    </message>
    <message>
        <source>下一个</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>下一个 (F3)</source>
        <translation>Next (F3)</translation>
    </message>
    <message>
        <source>关闭查找</source>
        <translation>Close find</translation>
    </message>
    <message>
        <source>关闭 (Esc)</source>
        <translation>Close (Esc)</translation>
    </message>
    <message>
        <source>区分大小写</source>
        <translation>Match case</translation>
    </message>
    <message>
        <source>正则表达式</source>
        <translation>Regular expression</translation>
    </message>
    <message>
        <source>十六进制</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>不是十六进制字节</source>
        <translation>Not hex bytes</translation>
    </message>
    <message>
        <source>表达式无效</source>
        <translation>Invalid expression</translation>
    </message>
    <message>
        <source>无匹配</source>
        <translation>No matches</translation>
    </message>
    <message>
        <source>共 %1 个</source>
        <translation>%1 matches</translation>
    </message>
    <message>
        <source>第 %1 个，共 %2 个</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>查找中 %1%，已有 %2 个</source>
        <translation>Searching %1%, %2 so far</translation>
    </message>
    <message>
        <source>太慢，已停：前 %1% 有 %2 个</source>
        <translation>Too slow, stopped: %2 in the first %1%</translation>
    </message>
</context>
<context>
    <name>Language</name>
    <message>
        <source>自动</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>新的语言在下次启动本程序时生效。</source>
        <translation>The new language takes effect the next time the program starts.</translation>
    </message>
</context>
<context>
    <name>LineControl</name>
    <message>
        <source>无流控</source>
        <translation>No flow control</translation>
    </message>
    <message>
        <source>硬件流控 RTS/CTS</source>
        <translation>Hardware flow control RTS/CTS</translation>
    </message>
    <message>
        <source>软件流控 XON/XOFF</source>
        <translation>Software flow control XON/XOFF</translation>
    </message>
    <message>
        <source>发送中断（250 毫秒）</source>
        <translation>Send break (250 ms)</translation>
    </message>
    <message>
        <source>流控</source>
        <translation>Flow control</translation>
    </message>
    <message>
        <source>端口不能发送中断。</source>
        <translation>The port cannot send a break.</translation>
    </message>
    <message>
        <source>发送中断</source>
        <translation>Send break</translation>
    </message>
    <message>
        <source>中断长度（毫秒，1 至 10000）：</source>
        <translation>Break length (ms, 1 to 10000):</translation>
    </message>
    <message>
        <source>端口不接受这种流控。</source>
        <translation>The port does not accept this flow control.</translation>
    </message>
    <message>
        <source>字符间隔</source>
        <translation>Character pause</translation>
    </message>
    <message>
        <source>每个字符之后暂停（毫秒，0 至 1000）：</source>
        <translation>Pause after each character (ms, 0 to 1000):</translation>
    </message>
    <message>
        <source>行间隔</source>
        <translation>Line pause</translation>
    </message>
    <message>
        <source>每个行尾之后暂停（毫秒，0 至 10000）：</source>
        <translation>Pause after each line ending (ms, 0 to 10000):</translation>
    </message>
    <message>
        <source>无效的毫秒数：%1</source>
        <translation>Not a valid number of milliseconds: %1</translation>
    </message>
    <message>
        <source>发送中断（%1 毫秒）…</source>
        <translation>Send break (%1 ms)…</translation>
    </message>
    <message>
        <source>字符间隔（%1 毫秒）…</source>
        <translation>Character pause (%1 ms)…</translation>
    </message>
    <message>
        <source>行间隔（%1 毫秒）…</source>
        <translation>Line pause (%1 ms)…</translation>
    </message>
    <message>
        <source>字符间隔 %1 毫秒，行间隔 %2 毫秒</source>
        <translation>character pause %1 ms, line pause %2 ms</translation>
    </message>
    <message>
        <source>正在发送中断</source>
        <translation>sending a break</translation>
    </message>
    <message>
        <source>%1；%2</source>
        <translation>%1; %2</translation>
    </message>
    <message>
        <source>发送其他长度的中断…</source>
        <translation>Send a break of another length…</translation>
    </message>
    <message>
        <source>按间隔发送的队列已满（最多 %1 字节）：这次发送的 %2 字节没有发送。</source>
        <translation>The queue of paced sends is full (at most %1 bytes): this send of %2 bytes was not sent.</translation>
    </message>
    <message>
        <source> 正在发送中断（%1 毫秒）</source>
        <translation> sending a break (%1 ms)</translation>
    </message>
</context>
<context>
    <name>LinkMonitor</name>
    <message>
        <source>  响应时间 %1 ms</source>
        <translation>  response time %1 ms</translation>
    </message>
    <message>
        <source>保存链路记录</source>
        <translation>Save the link record</translation>
    </message>
    <message>
        <source>Wireshark 抓包 (*.pcapng)|*.pcapng|文本文件 (*.txt)|*.txt</source>
        <translation>Wireshark captures (*.pcapng)|*.pcapng|Text files (*.txt)|*.txt</translation>
    </message>
    <message>
        <source>%1 帧</source>
        <translation>%1 frames</translation>
    </message>
    <message>
        <source>（已暂停，记录继续）</source>
        <translation> (paused, recording goes on)</translation>
    </message>
    <message>
        <source>，%1 帧晚到</source>
        <translation>, %1 frames late</translation>
    </message>
    <message>
        <source>，保存到 %1（%2 帧）</source>
        <translation>, saving to %1 (%2 frames)</translation>
    </message>
    <message>
        <source>链路监视</source>
        <translation>Link monitor</translation>
    </message>
    <message>
        <source>监视选项</source>
        <translation>Monitor options</translation>
    </message>
    <message>
        <source>16进制</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>显示发送</source>
        <translation>Show sent</translation>
    </message>
    <message>
        <source>解码: 无</source>
        <translation>Decode: none</translation>
    </message>
    <message>
        <source>解码: Modbus RTU</source>
        <translation>Decode: Modbus RTU</translation>
    </message>
    <message>
        <source>解码</source>
        <translation>Decode</translation>
    </message>
    <message>
        <source>帧间隔(ms):</source>
        <translation>Frame gap (ms):</translation>
    </message>
    <message>
        <source>帧间隔(毫秒), 空为 3.5 个字符时间</source>
        <translation>Frame gap (milliseconds); empty for 3.5 character times</translation>
    </message>
    <message>
        <source>空: 每个串口 3.5 个字符时间</source>
        <translation>Empty: 3.5 character times of each port</translation>
    </message>
    <message>
        <source>显示上限:</source>
        <translation>Show at most:</translation>
    </message>
    <message>
        <source>显示上限</source>
        <translation>Show at most</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>保存…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>链路记录</source>
        <translation>Link record</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>停止保存</source>
        <translation>Stop saving</translation>
    </message>
    <message>
        <source>查找…</source>
        <translation>Find…</translation>
    </message>
    <message>
        <source>Ctrl+F；F3 下一个，Shift+F3 上一个，Esc 关闭</source>
        <translation>Ctrl+F; F3 next, Shift+F3 previous, Esc closes</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>串  口：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>Baud:</translation>
    </message>
    <message>
        <source>校验位：</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>数据位：</source>
        <translation>Data:</translation>
    </message>
    <message>
        <source>停止位：</source>
        <translation>Stop:</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>清空接收区</source>
        <translation>Clear the receive area</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>自动发送周期为1秒</source>
        <translation>Auto-send period is 1 second</translation>
    </message>
    <message>
        <source>16进制</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>以16进制发送和接收</source>
        <translation>Send and receive in hexadecimal</translation>
    </message>
    <message>
        <source>接收区</source>
        <translation>receive area</translation>
    </message>
    <message>
        <source>发送区</source>
        <translation>send line</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>port</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>baud rate</translation>
    </message>
    <message>
        <source>校验位</source>
        <translation>parity</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>data bits</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>stop bits</translation>
    </message>
    <message>
        <source>设备1</source>
        <translation>Device 1</translation>
    </message>
    <message>
        <source>设备2</source>
        <translation>Device 2</translation>
    </message>
    <message>
        <source>日期时间</source>
        <translation>Date and time</translation>
    </message>
    <message>
        <source>设备1 计数</source>
        <translation>Device 1 counters</translation>
    </message>
    <message>
        <source>设备2 计数</source>
        <translation>Device 2 counters</translation>
    </message>
    <message>
        <source>可调整窗口大小</source>
        <translation>Resizable window</translation>
    </message>
    <message>
        <source>设备1与设备2的分隔条</source>
        <translation>Divider between device 1 and device 2</translation>
    </message>
    <message>
        <source>配色</source>
        <translation>Colours</translation>
    </message>
    <message>
        <source>经典</source>
        <translation>Classic</translation>
    </message>
    <message>
        <source>跟随桌面</source>
        <translation>Follow the desktop</translation>
    </message>
    <message>
        <source>深色</source>
        <translation>Dark</translation>
    </message>
</context>
<context>
    <name>Modbus</name>
    <message>
        <source>请求: 寄存器 %1 = %2 (0x%3)</source>
        <translation>Request: register %1 = %2 (0x%3)</translation>
    </message>
    <message>
        <source>响应: 寄存器 %1 = %2 (0x%3)</source>
        <translation>Response: register %1 = %2 (0x%3)</translation>
    </message>
    <message>
        <source>请求: 线圈 %1 = 通</source>
        <translation>Request: coil %1 = on</translation>
    </message>
    <message>
        <source>响应: 线圈 %1 = 通</source>
        <translation>Response: coil %1 = on</translation>
    </message>
    <message>
        <source>请求: 线圈 %1 = 断</source>
        <translation>Request: coil %1 = off</translation>
    </message>
    <message>
        <source>响应: 线圈 %1 = 断</source>
        <translation>Response: coil %1 = off</translation>
    </message>
    <message>
        <source>请求: 线圈 %1 = 无效值 %2</source>
        <translation>Request: coil %1 = invalid value %2</translation>
    </message>
    <message>
        <source>响应: 线圈 %1 = 无效值 %2</source>
        <translation>Response: coil %1 = invalid value %2</translation>
    </message>
    <message>
        <source>请求: 起始 %1, 数量 %2</source>
        <translation>Request: start %1, quantity %2</translation>
    </message>
    <message>
        <source>请求: 起始 %1, 数量 %2, %3 字节:%4</source>
        <translation>Request: start %1, quantity %2, %3 bytes:%4</translation>
    </message>
    <message>
        <source>响应: %1 字节, 寄存器%2</source>
        <translation>Response: %1 bytes, registers%2</translation>
    </message>
    <message>
        <source>响应: %1 字节, 线圈 %2 起:%3</source>
        <translation>Response: %1 bytes, coils from %2:%3</translation>
    </message>
    <message>
        <source>响应: %1 字节, 输入 %2 起:%3</source>
        <translation>Response: %1 bytes, inputs from %2:%3</translation>
    </message>
    <message>
        <source>异常响应: 代码 %1</source>
        <translation>Exception response: code %1</translation>
    </message>
    <message>
        <source>响应: 起始 %1, 数量 %2 已写</source>
        <translation>Response: start %1, quantity %2 written</translation>
    </message>
    <message>
        <source>非法功能</source>
        <translation>Illegal function</translation>
    </message>
    <message>
        <source>非法数据地址</source>
        <translation>Illegal data address</translation>
    </message>
    <message>
        <source>非法数据值</source>
        <translation>Illegal data value</translation>
    </message>
    <message>
        <source>从站设备故障</source>
        <translation>Slave device failure</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Acknowledge</translation>
    </message>
    <message>
        <source>从站设备忙</source>
        <translation>Slave device busy</translation>
    </message>
    <message>
        <source>存储奇偶性差错</source>
        <translation>Memory parity error</translation>
    </message>
    <message>
        <source>不可用网关路径</source>
        <translation>Gateway path unavailable</translation>
    </message>
    <message>
        <source>网关目标设备响应失败</source>
        <translation>Gateway target device failed to respond</translation>
    </message>
    <message>
        <source>未知异常</source>
        <translation>Unknown exception</translation>
    </message>
    <message>
        <source>读线圈</source>
        <translation>Read coils</translation>
    </message>
    <message>
        <source>读离散输入</source>
        <translation>Read discrete inputs</translation>
    </message>
    <message>
        <source>读保持寄存器</source>
        <translation>Read holding registers</translation>
    </message>
    <message>
        <source>读输入寄存器</source>
        <translation>Read input registers</translation>
    </message>
    <message>
        <source>写单个线圈</source>
        <translation>Write single coil</translation>
    </message>
    <message>
        <source>写单个寄存器</source>
        <translation>Write single register</translation>
    </message>
    <message>
        <source>写多个线圈</source>
        <translation>Write multiple coils</translation>
    </message>
    <message>
        <source>写多个寄存器</source>
        <translation>Write multiple registers</translation>
    </message>
    <message>
        <source>短帧: %1 字节, 不是完整的 Modbus 帧</source>
        <translation>Short frame: %1 bytes, not a whole Modbus frame</translation>
    </message>
    <message>
        <source>从站 %1  功能 %2</source>
        <translation>Slave %1  function %2</translation>
    </message>
    <message>
        <source>(无对应请求)</source>
        <translation>(no matching request)</translation>
    </message>
    <message>
        <source>长度 %1 字节不符合此功能</source>
        <translation>A length of %1 bytes does not fit this function</translation>
    </message>
    <message>
        <source>CRC 正确</source>
        <translation>CRC good</translation>
    </message>
    <message>
        <source>CRC 错误 (收到 %1)</source>
        <translation>CRC error (received %1)</translation>
    </message>
</context>
<context>
    <name>ModemLines</name>
    <message>
        <source>端口未打开（选定 %1）</source>
        <translation>Port not open (chosen %1)</translation>
    </message>
    <message>
        <source>此端口没有调制解调器线（选定 %1）</source>
        <translation>This port has no modem lines (chosen %1)</translation>
    </message>
    <message>
        <source>读不到调制解调器线（选定 %1）</source>
        <translation>Cannot read the modem lines (chosen %1)</translation>
    </message>
    <message>
        <source>复位脉冲（DTR 和 RTS 低 100 ms）</source>
        <translation>Reset pulse (DTR and RTS low for 100 ms)</translation>
    </message>
    <message>
        <source>RTS（由硬件流控 RTS/CTS 驱动）</source>
        <translation>RTS (driven by RTS/CTS flow control)</translation>
    </message>
</context>
<context>
    <name>NetworkPorts</name>
    <message>
        <source>COM%1 已被使用：请换一个编号。</source>
        <translation>COM%1 is taken: choose another number.</translation>
    </message>
    <message>
        <source>地址无效：主机名或地址不能含空格或特殊字符。</source>
        <translation>The address is not valid: a host name or address has no blanks or special characters.</translation>
    </message>
    <message>
        <source>错误代码 %1。</source>
        <translation>Error code %1.</translation>
    </message>
    <message>
        <source>添加网络端口</source>
        <translation>Add network port</translation>
    </message>
    <message>
        <source>主机：</source>
        <translation>Host:</translation>
    </message>
    <message>
        <source>名字、IPv4 或 IPv6 地址，如 raspberrypi.local、192.168.1.20、fe80::1</source>
        <translation>A name, an IPv4 or an IPv6 address, such as raspberrypi.local, 192.168.1.20, fe80::1</translation>
    </message>
    <message>
        <source>TCP 端口：</source>
        <translation>TCP port:</translation>
    </message>
    <message>
        <source>协议：</source>
        <translation>Protocol:</translation>
    </message>
    <message>
        <source>RFC 2217（ser2net 的 telnet(rfc2217)，可设置线路）</source>
        <translation>RFC 2217 (ser2net&apos;s telnet(rfc2217); line settings reach the line)</translation>
    </message>
    <message>
        <source>原始 TCP（只传数据）</source>
        <translation>Raw TCP (data only)</translation>
    </message>
    <message>
        <source>COM 编号：</source>
        <translation>COM number:</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>请填写主机：服务器的名字或地址。</source>
        <translation>Fill in the host: the server&apos;s name or address.</translation>
    </message>
    <message>
        <source>TCP 端口应为 1 至 65535。</source>
        <translation>The TCP port is 1 to 65535.</translation>
    </message>
    <message>
        <source>COM 编号应为 1 至 1024。</source>
        <translation>The COM number is 1 to 1024.</translation>
    </message>
    <message>
        <source>不能添加网络端口：%1</source>
        <translation>Cannot add the network port: %1</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>baud rate</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>data bits</translation>
    </message>
    <message>
        <source>校验位</source>
        <translation>parity</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>stop bits</translation>
    </message>
    <message>
        <source>流控制</source>
        <translation>flow control</translation>
    </message>
    <message>
        <source>中断</source>
        <translation>break</translation>
    </message>
    <message>
        <source>%1、%2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>添加网络端口…</source>
        <translation>Add network port…</translation>
    </message>
    <message>
        <source>移除网络端口…</source>
        <translation>Remove network port…</translation>
    </message>
    <message>
        <source>%1 不是网络端口：只有添加的网络端口可以移除。</source>
        <translation>%1 is not a network port: only network ports that were added can be removed.</translation>
    </message>
    <message>
        <source>%1 正在使用：请先关闭它。</source>
        <translation>%1 is in use: close it first.</translation>
    </message>
    <message>
        <source>移除网络端口 %1（%2）？</source>
        <translation>Remove the network port %1 (%2)?</translation>
    </message>
    <message>
        <source>移除网络端口</source>
        <translation>Remove network port</translation>
    </message>
    <message>
        <source>不能移除 %1：错误代码 %2。</source>
        <translation>Cannot remove %1: error code %2.</translation>
    </message>
    <message>
        <source>%1：原始 TCP 只传数据，线路设置和调制解调器线由服务器一端决定</source>
        <translation>%1: raw TCP carries data only; the line settings and modem lines are the server&apos;s</translation>
    </message>
    <message>
        <source>%1：服务器不支持 RFC 2217，线路设置未送达</source>
        <translation>%1: the server does not speak RFC 2217; the line settings did not reach the line</translation>
    </message>
    <message>
        <source>服务器未确认：%1</source>
        <translation>the server did not confirm: %1</translation>
    </message>
    <message>
        <source>服务器改用了别的值：%1</source>
        <translation>the server set another value: %1</translation>
    </message>
    <message>
        <source>%1：服务器已确认全部设置</source>
        <translation>%1: the server confirmed every setting</translation>
    </message>
    <message>
        <source>%1；%2</source>
        <translation>%1; %2</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>不能添加网络端口 %1：错误代码 %2。</source>
        <translation>Cannot add the network port %1: error code %2.</translation>
    </message>
</context>
<context>
    <name>OpenFailure</name>
    <message>
        <source>不能打开 %1</source>
        <translation>Cannot open %1</translation>
    </message>
    <message>
        <source>波特率 %1</source>
        <translation>baud rate %1</translation>
    </message>
    <message>
        <source>校验位 %1</source>
        <translation>parity %1</translation>
    </message>
    <message>
        <source>数据位 %1</source>
        <translation>data bits %1</translation>
    </message>
    <message>
        <source>停止位 %1</source>
        <translation>stop bits %1</translation>
    </message>
    <message>
        <source>数据位 %1、校验位 %2、停止位 %3 的组合</source>
        <translation>the combination of data bits %1, parity %2 and stop bits %3</translation>
    </message>
    <message>
        <source>%1，%2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>线路设置被拒绝：%1</source>
        <translation>Line settings refused: %1</translation>
    </message>
    <message>
        <source>进程 %1 </source>
        <translation>process %1</translation>
    </message>
    <message>
        <source> %1（进程 %2）</source>
        <translation>%1 (process %2)</translation>
    </message>
    <message>
        <source>串口正被%1使用。</source>
        <translation>The port is in use by %1.</translation>
    </message>
    <message>
        <source>串口正被其他程序使用。</source>
        <translation>The port is in use by another program.</translation>
    </message>
    <message>
        <source>串口已在本程序的另一个面板中打开。</source>
        <translation>The port is already open in this program&apos;s other panel.</translation>
    </message>
    <message>
        <source>没有这个设备：串口未插入或已拔出。</source>
        <translation>No such device: the port is not plugged in, or was unplugged.</translation>
    </message>
    <message>
        <source>没有权限打开 %1：请把用户加入 dialout 组（sudo usermod -aG dialout 用户名），然后注销并重新登录。</source>
        <translation>No permission to open %1: add the user to the dialout group (sudo usermod -aG dialout USERNAME), then log out and in again.</translation>
    </message>
    <message>
        <source>%1是%2会话的终端，不是串口。</source>
        <translation>%1is the session terminal of %2, not a serial port.</translation>
    </message>
    <message>
        <source>%1不是串口。</source>
        <translation>%1is not a serial port.</translation>
    </message>
    <message>
        <source>错误代码 %1。</source>
        <translation>Error code %1.</translation>
    </message>
    <message>
        <source>%1拒绝连接：那台机器上没有服务器在这个端口等待连接。</source>
        <translation>%1refused the connection: nothing on that machine waits for connections on that port.</translation>
    </message>
    <message>
        <source>%1的主机名无法解析：没有这台主机。</source>
        <translation>The host name of %1cannot be resolved: there is no such host.</translation>
    </message>
    <message>
        <source>%1的主机名暂时无法解析：名字服务器没有应答。</source>
        <translation>The host name of %1cannot be resolved for now: the name server did not answer.</translation>
    </message>
    <message>
        <source>连接 %1超时：服务器没有应答。</source>
        <translation>Connecting to %1timed out: the server did not answer.</translation>
    </message>
    <message>
        <source>到不了 %1：网络不通。</source>
        <translation>%1cannot be reached: no route through the network.</translation>
    </message>
    <message>
        <source>连接 %1被本机拒绝（防火墙规则）。</source>
        <translation>Connecting to %1was refused on this machine (a firewall rule).</translation>
    </message>
    <message>
        <source>%1的服务器关闭了连接（也许它已被别人占用）。</source>
        <translation>The server of %1closed the connection (perhaps someone else holds it).</translation>
    </message>
    <message>
        <source>%1在打开的过程中断开了（设备被拔出，或服务器关闭了连接）。</source>
        <translation>%1went away while it was being opened (the device was unplugged, or the server closed the connection).</translation>
    </message>
</context>
<context>
    <name>Parity</name>
    <message>
        <source>N (无)</source>
        <translation>N (none)</translation>
    </message>
    <message>
        <source>O (奇)</source>
        <translation>O (odd)</translation>
    </message>
    <message>
        <source>E (偶)</source>
        <translation>E (even)</translation>
    </message>
    <message>
        <source>M (标记)</source>
        <translation>M (mark)</translation>
    </message>
    <message>
        <source>S (空格)</source>
        <translation>S (spc)</translation>
    </message>
</context>
<context>
    <name>Plotter</name>
    <message>
        <source>绘图…</source>
        <translation>Plot…</translation>
    </message>
    <message>
        <source>绘图 - 设备%1</source>
        <translation>Plot - Device %1</translation>
    </message>
    <message>
        <source>已记录 %1 行，%2 个序列</source>
        <translation>%1 lines recorded, %2 series</translation>
    </message>
    <message>
        <source>；最早的 %1 行已让位给新的</source>
        <translation>; the oldest %1 lines made way for new ones</translation>
    </message>
    <message>
        <source>；%1 个值未记录（超出范围或第 16 个序列之后）</source>
        <translation>; %1 values not recorded (out of range, or past the 16th series)</translation>
    </message>
    <message>
        <source>；已暂停，记录继续</source>
        <translation>; paused, recording goes on</translation>
    </message>
    <message>
        <source>；每秒刷新 %1 次</source>
        <translation>; redrawn %1 times a second</translation>
    </message>
    <message>
        <source>导出记录为 CSV</source>
        <translation>Export the recording as CSV</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)|*.csv|所有文件 (*)|*</source>
        <translation>CSV files (*.csv)|*.csv|All files (*)|*</translation>
    </message>
    <message>
        <source>保存图表为图片</source>
        <translation>Save the chart as a picture</translation>
    </message>
    <message>
        <source>PNG 图片 (*.png)|*.png|所有文件 (*)|*</source>
        <translation>PNG pictures (*.png)|*.png|All files (*)|*</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>Sample</translation>
    </message>
    <message>
        <source>时间(秒)</source>
        <translation>Time (s)</translation>
    </message>
    <message>
        <source>图表</source>
        <translation>Chart</translation>
    </message>
    <message>
        <source>滚轮缩放（Ctrl+滚轮缩放数值），拖动平移；键：+ - 方向键，Home 复位</source>
        <translation>Wheel zooms (Ctrl+wheel zooms the values), dragging pans; keys: + - arrows, Home resets</translation>
    </message>
    <message>
        <source>记录</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>时间（秒）</source>
        <translation>Time (s)</translation>
    </message>
    <message>
        <source>采样序号</source>
        <translation>Sample number</translation>
    </message>
    <message>
        <source>横轴(&amp;X):</source>
        <translation>&amp;X axis:</translation>
    </message>
    <message>
        <source>显示最近(&amp;N):</source>
        <translation>Show last (&amp;N):</translation>
    </message>
    <message>
        <source>个采样</source>
        <translation>samples</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>seconds</translation>
    </message>
    <message>
        <source>显示最近的单位</source>
        <translation>Unit of the span shown</translation>
    </message>
    <message>
        <source>自动范围(&amp;A)</source>
        <translation>&amp;Auto range</translation>
    </message>
    <message>
        <source>最小(&amp;I):</source>
        <translation>M&amp;in:</translation>
    </message>
    <message>
        <source>最大(&amp;M):</source>
        <translation>&amp;Max:</translation>
    </message>
    <message>
        <source>暂停(&amp;P)</source>
        <translation>&amp;Pause</translation>
    </message>
    <message>
        <source>复位视图(&amp;R)</source>
        <translation>&amp;Reset view</translation>
    </message>
    <message>
        <source>清除(&amp;C)</source>
        <translation>&amp;Clear</translation>
    </message>
    <message>
        <source>导出 CSV(&amp;E)…</source>
        <translation>&amp;Export CSV…</translation>
    </message>
    <message>
        <source>保存图片(&amp;S)…</source>
        <translation>&amp;Save picture…</translation>
    </message>
    <message>
        <source>继续(&amp;P)</source>
        <translation>Resume (&amp;P)</translation>
    </message>
    <message>
        <source>；之前的串口另有 %1 行，导出时一并写出</source>
        <translation>; %1 more rows from the port before, written with the export</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>Port</translation>
    </message>
</context>
<context>
    <name>PortPanel</name>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>QWidgetTextControl</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Select All</translation>
    </message>
</context>
<context>
    <name>QuickSends</name>
    <message>
        <source>快捷发送…</source>
        <translation>Quick sends…</translation>
    </message>
    <message>
        <source>校验</source>
        <translation>Checksum</translation>
    </message>
    <message>
        <source>最多 %1 条快捷发送</source>
        <translation>At most %1 quick sends</translation>
    </message>
    <message>
        <source>这条快捷发送已不在列表中</source>
        <translation>This quick send is no longer in the list</translation>
    </message>
    <message>
        <source>文件太大（快捷发送文件最多 1 MB）。</source>
        <translation>The file is too large (a quick-send file holds at most 1 MB).</translation>
    </message>
    <message>
        <source>不能导入 %1
%2</source>
        <translation>Cannot import %1
%2</translation>
    </message>
    <message>
        <source>列表已满（最多 %1 条），其后 %2 条未导入</source>
        <translation>The list is full (at most %1); the %2 after it were not imported</translation>
    </message>
    <message>
        <source>从 %1 导入 %2 条快捷发送。</source>
        <translation>Imported %2 quick sends from %1.</translation>
    </message>
    <message>
        <source>不能导出到 %1
%2</source>
        <translation>Cannot export to %1
%2</translation>
    </message>
    <message>
        <source>%1 快捷发送</source>
        <translation>%1 quick sends</translation>
    </message>
    <message>
        <source>快捷发送：%1 条定时发送中</source>
        <translation>Quick sends: %1 sending periodically</translation>
    </message>
    <message>
        <source>没有名称</source>
        <translation>No name</translation>
    </message>
    <message>
        <source>内容超过 1024 个字符</source>
        <translation>The content is over 1024 characters</translation>
    </message>
    <message>
        <source>周期须为 0（不定时）或 100 至 3600000 毫秒、100 的整数倍</source>
        <translation>The period must be 0 (none) or 100 to 3600000 ms in steps of 100</translation>
    </message>
    <message>
        <source>不是 UTF-8 文本</source>
        <translation>Not UTF-8 text</translation>
    </message>
    <message>
        <source>第二个字段应为 text 或 hex，而不是 “%1”</source>
        <translation>The second field must be text or hex, not “%1”</translation>
    </message>
    <message>
        <source>未知的校验 “%1”（可用 none modbus ccitt-false xmodem crc8 crc32 sum8 xor8）</source>
        <translation>Unknown checksum “%1” (known: none modbus ccitt-false xmodem crc8 crc32 sum8 xor8)</translation>
    </message>
    <message>
        <source>周期 “%1” 无效（0，或 100 至 3600000 毫秒、100 的整数倍）</source>
        <translation>Invalid period “%1” (0, or 100 to 3600000 ms in steps of 100)</translation>
    </message>
    <message>
        <source>第 %1 行：%2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message>
        <source>末尾的 \ 后面缺少字符（要发送 \ 请写 \\）</source>
        <translation>A character is missing after the final \ (write \\ to send \)</translation>
    </message>
    <message>
        <source>\x 后面要有两个十六进制数字</source>
        <translation>\x must be followed by two hex digits</translation>
    </message>
    <message>
        <source>未知的转义 \%1（可用 \r \n \t \\ \xHH）</source>
        <translation>Unknown escape \%1 (known: \r \n \t \\ \xHH)</translation>
    </message>
    <message>
        <source>十六进制内容里没有一个完整的字节</source>
        <translation>The hex content holds no whole byte</translation>
    </message>
    <message>
        <source>内容为空</source>
        <translation>The content is empty</translation>
    </message>
    <message>
        <source>每 %1 毫秒</source>
        <translation>every %1 ms</translation>
    </message>
    <message>
        <source>无周期</source>
        <translation>no period</translation>
    </message>
    <message>
        <source>还没有快捷发送：在下面填写名称和内容，再按“添加”。</source>
        <translation>No quick sends yet: fill in a name and content below, then press Add.</translation>
    </message>
    <message>
        <source>编辑</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>十六进制</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>文本可写 \r \n \t \\ \xHH；十六进制如 01 03 00 00 00 0A</source>
        <translation>Text may hold \r \n \t \\ \xHH; hex as in 01 03 00 00 00 0A</translation>
    </message>
    <message>
        <source>0 为不定时；100 至 3600000，100 的整数倍</source>
        <translation>0 for none; 100 to 3600000 in steps of 100</translation>
    </message>
    <message>
        <source>名称：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>内容：</source>
        <translation>Content:</translation>
    </message>
    <message>
        <source>校验：</source>
        <translation>Checksum:</translation>
    </message>
    <message>
        <source>周期(毫秒)：</source>
        <translation>Period (ms):</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>保存修改</source>
        <translation>Save changes</translation>
    </message>
    <message>
        <source>导入…</source>
        <translation>Import…</translation>
    </message>
    <message>
        <source>导出…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>发送 %1</source>
        <translation>Send %1</translation>
    </message>
    <message>
        <source>定时发送 %1 %2</source>
        <translation>Send %1 periodically %2</translation>
    </message>
    <message>
        <source>编辑 %1</source>
        <translation>Edit %1</translation>
    </message>
    <message>
        <source>删除 %1</source>
        <translation>Delete %1</translation>
    </message>
    <message>
        <source>不能添加：%1</source>
        <translation>Cannot add: %1</translation>
    </message>
    <message>
        <source>不能保存：%1</source>
        <translation>Cannot save: %1</translation>
    </message>
    <message>
        <source>导入快捷发送</source>
        <translation>Import quick sends</translation>
    </message>
    <message>
        <source>导出快捷发送</source>
        <translation>Export quick sends</translation>
    </message>
    <message>
        <source>名称含控制字符（如制表符、换行）</source>
        <translation>the name holds control characters (such as a tab or line break)</translation>
    </message>
    <message>
        <source>有 %1 个以制表符分隔的字段，应有 5 个：名称、text 或 hex、校验、周期、内容</source>
        <translation>%1 tab-separated fields where 5 are needed: name, text or hex, checksum, period, message</translation>
    </message>
    <message>
        <source>制表符分隔文本 (*.tsv;*.txt)|*.tsv;*.txt|所有文件 (*)|*</source>
        <translation>Tab-separated text (*.tsv;*.txt)|*.tsv;*.txt|All files (*)|*</translation>
    </message>
    <message>
        <source>制表符分隔文本 (*.tsv)|*.tsv|文本文件 (*.txt)|*.txt|所有文件 (*)|*</source>
        <translation>Tab-separated text (*.tsv)|*.tsv|Text files (*.txt)|*.txt|All files (*)|*</translation>
    </message>
</context>
<context>
    <name>Scripts</name>
    <message>
        <source>脚本…</source>
        <translation>Scripts…</translation>
    </message>
    <message>
        <source>不能写文件 %1：%2</source>
        <translation>Cannot write the file %1: %2</translation>
    </message>
    <message>
        <source>应为 modbus、ccitt-false、xmodem、crc8、crc32、sum8 或 xor8</source>
        <translation>expected modbus, ccitt-false, xmodem, crc8, crc32, sum8 or xor8</translation>
    </message>
    <message>
        <source>应为十六进制字节，如 &quot;01 03 0A&quot;</source>
        <translation>expected hex bytes, as in &quot;01 03 0A&quot;</translation>
    </message>
    <message>
        <source>失败：%1</source>
        <translation>failed: %1</translation>
    </message>
    <message>
        <source>已有脚本在运行</source>
        <translation>A script is running already</translation>
    </message>
    <message>
        <source>窗口已关闭</source>
        <translation>the window has closed</translation>
    </message>
    <message>
        <source>不能启动脚本的线程</source>
        <translation>Cannot start the script&apos;s thread</translation>
    </message>
    <message>
        <source>parity 应为 N、O、E、M、S 之一（或 none、odd、even、mark、space）</source>
        <translation>parity must be one of N, O, E, M, S (or none, odd, even, mark, space)</translation>
    </message>
    <message>
        <source>flow 应为 &quot;none&quot;、&quot;rtscts&quot; 或 &quot;xonxoff&quot;</source>
        <translation>flow must be &quot;none&quot;, &quot;rtscts&quot; or &quot;xonxoff&quot;</translation>
    </message>
    <message>
        <source>应为设置表，如 {baud=115200, parity=&quot;N&quot;}</source>
        <translation>expected a table of settings, as in {baud=115200, parity=&quot;N&quot;}</translation>
    </message>
    <message>
        <source>%1 的第 %2 个参数不对：%3</source>
        <translation>bad argument #%2 to %1: %3</translation>
    </message>
    <message>
        <source>应为面板号 1 或 2，或端口名如 &quot;COM3&quot;，却是 %1</source>
        <translation>expected panel 1 or 2, or a port name such as &quot;COM3&quot;, got %1</translation>
    </message>
    <message>
        <source>应为文本，却是 %1</source>
        <translation>expected text, got %1</translation>
    </message>
    <message>
        <source>%1 至 %2 的整数</source>
        <translation>a whole number from %1 to %2</translation>
    </message>
    <message>
        <source>应为%1</source>
        <translation>expected %1</translation>
    </message>
    <message>
        <source>%1 应为%2</source>
        <translation>%1 must be %2</translation>
    </message>
    <message>
        <source>应为 true 或 false，却是 %1</source>
        <translation>expected true or false, got %1</translation>
    </message>
    <message>
        <source>文件名是空的</source>
        <translation>the file name is empty</translation>
    </message>
    <message>
        <source>文件名里有零字节</source>
        <translation>the file name holds a zero byte</translation>
    </message>
    <message>
        <source>端口没有收下要发送的数据（输出队列已满，或设备已断开）</source>
        <translation>the port did not take the data (its output queue is full, or its device went away)</translation>
    </message>
    <message>
        <source>不能发送文件 %1：%2</source>
        <translation>Cannot send the file %1: %2</translation>
    </message>
    <message>
        <source>文件 %1 没有发送完：%2</source>
        <translation>The file %1 was not sent whole: %2</translation>
    </message>
    <message>
        <source>端口的设备已断开，面板正在等它重新连接</source>
        <translation>the port&apos;s device went away; the panel waits for it to come back</translation>
    </message>
    <message>
        <source>端口不接受这些线路设置（错误代码 %1）</source>
        <translation>the port does not accept these line settings (error code %1)</translation>
    </message>
    <message>
        <source>端口不接受这种流控</source>
        <translation>the port does not accept this flow control</translation>
    </message>
    <message>
        <source>RTS 由硬件流控 RTS/CTS 驱动，不能直接设置</source>
        <translation>RTS is driven by RTS/CTS flow control and cannot be set</translation>
    </message>
    <message>
        <source>现在不能发送中断</source>
        <translation>a break cannot be sent now</translation>
    </message>
    <message>
        <source>现在不能发出复位脉冲（RTS 由硬件流控驱动时不能）</source>
        <translation>a reset pulse cannot be sent now (not while flow control drives RTS)</translation>
    </message>
    <message>
        <source>第 %1 个字节起不是 UTF-8 文本：字节请用 send_bytes 或 send_hex 发送</source>
        <translation>not UTF-8 text from byte %1 on: send bytes with send_bytes or send_hex</translation>
    </message>
    <message>
        <source>正则表达式不对：%1</source>
        <translation>bad regular expression: %1</translation>
    </message>
    <message>
        <source>%1：脚本以 %2 类型的值报错</source>
        <translation>%1: the script raised an error that is a %2 value</translation>
    </message>
    <message>
        <source>内存不足，脚本没有运行</source>
        <translation>Not enough memory; the script did not run</translation>
    </message>
    <message>
        <source>没有面板使用端口 %1</source>
        <translation>no panel uses the port %1</translation>
    </message>
    <message>
        <source>设备%1（%2）</source>
        <translation>Device %1 (%2)</translation>
    </message>
    <message>
        <source>%1 的设备在脚本运行时断开了</source>
        <translation>%1: its device went away while the script ran</translation>
    </message>
    <message>
        <source>%1 在脚本运行时被关闭了</source>
        <translation>%1 was closed while the script ran</translation>
    </message>
    <message>
        <source>%1 在脚本运行时被关闭后又打开了</source>
        <translation>%1 was closed and opened again while the script ran</translation>
    </message>
    <message>
        <source>%1 没有打开</source>
        <translation>%1 is not open</translation>
    </message>
    <message>
        <source>脚本</source>
        <translation>Scripts</translation>
    </message>
    <message>
        <source>脚本状态</source>
        <translation>Script state</translation>
    </message>
    <message>
        <source>脚本的输出</source>
        <translation>The script&apos;s output</translation>
    </message>
    <message>
        <source>脚本内容</source>
        <translation>Script text</translation>
    </message>
    <message>
        <source>就绪</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>脚本命令</source>
        <translation>Script commands</translation>
    </message>
    <message>
        <source>新建(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>打开(&amp;O)…</source>
        <translation>&amp;Open…</translation>
    </message>
    <message>
        <source>保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>另存为(&amp;A)…</source>
        <translation>Save &amp;as…</translation>
    </message>
    <message>
        <source>运行(&amp;R)</source>
        <translation>&amp;Run</translation>
    </message>
    <message>
        <source>运行编辑器里的脚本（F5）</source>
        <translation>Run the script in the editor (F5)</translation>
    </message>
    <message>
        <source>停止(&amp;T)</source>
        <translation>S&amp;top</translation>
    </message>
    <message>
        <source>停止运行中的脚本（Shift+F5）</source>
        <translation>Stop the running script (Shift+F5)</translation>
    </message>
    <message>
        <source>最近(&amp;L)：</source>
        <translation>Recent (&amp;L):</translation>
    </message>
    <message>
        <source>最近的脚本</source>
        <translation>Recent scripts</translation>
    </message>
    <message>
        <source>新建</source>
        <translation>New</translation>
    </message>
    <message>
        <source>打开…</source>
        <translation>Open…</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>运行</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>未命名的脚本</source>
        <translation>the unnamed script</translation>
    </message>
    <message>
        <source>保存对 %1 的修改吗？</source>
        <translation>Save the changes to %1?</translation>
    </message>
    <message>
        <source>打开脚本</source>
        <translation>Open script</translation>
    </message>
    <message>
        <source>Lua 脚本 (*.lua)|*.lua|所有文件 (*)|*</source>
        <translation>Lua scripts (*.lua)|*.lua|All files (*)|*</translation>
    </message>
    <message>
        <source>文件太大，不像是脚本（最多 4 MB）</source>
        <translation>The file is too large for a script (at most 4 MB)</translation>
    </message>
    <message>
        <source>脚本须为 UTF-8 文本</source>
        <translation>A script must be UTF-8 text</translation>
    </message>
    <message>
        <source>不能打开脚本 %1
%2</source>
        <translation>Cannot open the script %1
%2</translation>
    </message>
    <message>
        <source>保存脚本</source>
        <translation>Save script</translation>
    </message>
    <message>
        <source>正在运行 %1…</source>
        <translation>Running %1…</translation>
    </message>
    <message>
        <source>（之前的输出太多，已清除）</source>
        <translation>(the earlier output grew too long and was cleared)</translation>
    </message>
    <message>
        <source>脚本已结束，状态 %1</source>
        <translation>The script ended with status %1</translation>
    </message>
    <message>
        <source>脚本已停止</source>
        <translation>The script was stopped</translation>
    </message>
    <message>
        <source>脚本出错，状态 %1</source>
        <translation>The script failed with an error, status %1</translation>
    </message>
    <message>
        <source>未命名</source>
        <translation>untitled</translation>
    </message>
    <message>
        <source>脚本 - %1%2</source>
        <translation>Script - %1%2</translation>
    </message>
    <message>
        <source>不能读脚本 %1：%2</source>
        <translation>cannot read the script %1: %2</translation>
    </message>
    <message>
        <source>输出(&amp;U)：</source>
        <translation>O&amp;utput:</translation>
    </message>
    <message>
        <source>脚本（Lua）(&amp;E)：</source>
        <translation>Script (Lua) (&amp;E):</translation>
    </message>
</context>
<context>
    <name>SendOptions</name>
    <message>
        <source>%1毫秒</source>
        <translation>%1 ms</translation>
    </message>
    <message>
        <source>%1秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>回车发送；↑ ↓ 取出发送过的行</source>
        <translation>Enter sends; ↑ ↓ bring back the lines sent before</translation>
    </message>
    <message>
        <source>行尾</source>
        <translation>Line ending</translation>
    </message>
    <message>
        <source>周期 %1</source>
        <translation>Period %1</translation>
    </message>
    <message>
        <source>其他周期…</source>
        <translation>Other period…</translation>
    </message>
    <message>
        <source>自动发送周期</source>
        <translation>Auto-send period</translation>
    </message>
    <message>
        <source>周期（毫秒，100 至 60000，100 的整数倍）：</source>
        <translation>Period (milliseconds, 100 to 60000, a multiple of 100):</translation>
    </message>
    <message>
        <source>无效的周期：%1</source>
        <translation>Invalid period: %1</translation>
    </message>
    <message>
        <source>其他周期 (%1)…</source>
        <translation>Other period (%1)…</translation>
    </message>
    <message>
        <source>自动发送周期为%1</source>
        <translation>Auto-send period is %1</translation>
    </message>
</context>
<context>
    <name>SessionLog</name>
    <message>
        <source>会话日志</source>
        <translation>Session log</translation>
    </message>
    <message>
        <source>会话日志…</source>
        <translation>Session log…</translation>
    </message>
    <message>
        <source>打开会话日志文件夹</source>
        <translation>Open session log folder</translation>
    </message>
    <message>
        <source>记录会话日志</source>
        <translation>Log this session</translation>
    </message>
    <message>
        <source>文件夹：</source>
        <translation>Folder:</translation>
    </message>
    <message>
        <source>文件名：</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>{port} 端口，{date} 日期 (YYYYMMDD)，{time} 时间 (HHMMSS)</source>
        <translation>{port} port, {date} date (YYYYMMDD), {time} time (HHMMSS)</translation>
    </message>
    <message>
        <source>新文件大小 (MiB)：</source>
        <translation>New file at (MiB):</translation>
    </message>
    <message>
        <source>文件到这个大小时开始新文件；0 为不按大小分</source>
        <translation>A new file starts when one reaches this size; 0 for never</translation>
    </message>
    <message>
        <source>每天午夜开始新文件</source>
        <translation>New file at midnight</translation>
    </message>
    <message>
        <source>端口打开时自动开始</source>
        <translation>Start when the port opens</translation>
    </message>
    <message>
        <source>每行都加时间戳（不论是否显示时间戳）</source>
        <translation>Stamp every line (shown stamps or not)</translation>
    </message>
    <message>
        <source>打开文件夹</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>文件名不能为空，也不能含 /。</source>
        <translation>the file name must not be empty nor contain /.</translation>
    </message>
    <message>
        <source>新文件大小应为 0 至 1048576 MiB。</source>
        <translation>the new file size must be 0 to 1048576 MiB.</translation>
    </message>
    <message>
        <source>不能使用这些设置：%1</source>
        <translation>Cannot use these settings: %1</translation>
    </message>
    <message>
        <source>会话日志已停止：不能建立新文件 %1
%2</source>
        <translation>Session log stopped: cannot make the new file %1
%2</translation>
    </message>
    <message>
        <source>会话日志已停止：收到的数据比写入磁盘快，等待写入的数据超过了上限。
%1
文件里是停止之前的全部内容，之后的没有记录。端口仍然打开。</source>
        <translation>Session log stopped: text arrived faster than the disk took it, and the text waiting to be written passed its limit.
%1
The file holds everything before the stop; nothing after it was logged. The port is still open.</translation>
    </message>
    <message>
        <source>会话日志已停止：%1。
%2
已写入 %3 字节，之后的没有记录。端口仍然打开。</source>
        <translation>Session log stopped: %1.
%2
%3 bytes written; nothing after that was logged. The port is still open.</translation>
    </message>
    <message>
        <source>不能打开文件夹 %1：桌面没有打开文件夹的程序。</source>
        <translation>Cannot open the folder %1: the desktop has no program that opens folders.</translation>
    </message>
    <message>
        <source>会话日志：%1（%2 字节）</source>
        <translation>Session log: %1 (%2 bytes)</translation>
    </message>
    <message>
        <source>选择…</source>
        <translation>Choose…</translation>
    </message>
    <message>
        <source>选择日志文件夹</source>
        <translation>Choose the log folder</translation>
    </message>
    <message>
        <source>会话日志的文件夹</source>
        <translation>The session log&apos;s folder</translation>
    </message>
</context>
<context>
    <name>Setups</name>
    <message>
        <source>配置文件 %1 第 %2 行无法使用：%3。当前设置未改变。</source>
        <translation>Setup file %1, line %2 cannot be used: %3. The settings are unchanged.</translation>
    </message>
    <message>
        <source>保存配置…</source>
        <translation>Save setup…</translation>
    </message>
    <message>
        <source>载入配置…</source>
        <translation>Load setup…</translation>
    </message>
    <message>
        <source>保存配置</source>
        <translation>Save setup</translation>
    </message>
    <message>
        <source>载入配置</source>
        <translation>Load setup</translation>
    </message>
    <message>
        <source>不是 INI 文件</source>
        <translation>not an INI file</translation>
    </message>
    <message>
        <source>配置中设备%1的串口 %2 不存在，该面板保持关闭。</source>
        <translation>The setup&apos;s port %2 for device %1 is not there; that panel stays closed.</translation>
    </message>
    <message>
        <source>文件太大</source>
        <translation>the file is too large</translation>
    </message>
    <message>
        <source>含有零字节</source>
        <translation>it holds a zero byte</translation>
    </message>
    <message>
        <source>不是 UTF-8 文本</source>
        <translation>it is not UTF-8 text</translation>
    </message>
    <message>
        <source>节名不完整</source>
        <translation>an unfinished section name</translation>
    </message>
    <message>
        <source>不是“名称=值”</source>
        <translation>not “name=value”</translation>
    </message>
    <message>
        <source>值在任何节之前</source>
        <translation>a value before any section</translation>
    </message>
    <message>
        <source>没有设备1或设备2的节</source>
        <translation>no section for device 1 or device 2</translation>
    </message>
</context>
<context>
    <name>Shortcuts</name>
    <message>
        <source>打开/关闭串口</source>
        <translation>Open/close port</translation>
    </message>
    <message>
        <source>清空接收区</source>
        <translation>Clear receive area</translation>
    </message>
    <message>
        <source>16进制</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>打开或关闭串口</source>
        <translation>Open or close the port</translation>
    </message>
</context>
<context>
    <name>Shutdown</name>
    <message>
        <source>确定要退出吗？</source>
        <translation>Are you sure you want to exit?</translation>
    </message>
    <message>
        <source>退出程序</source>
        <translation>Exit program</translation>
    </message>
</context>
<context>
    <name>StatusBar</name>
    <message>
        <source>Kestrix · 双串口调试</source>
        <translation>Kestrix · two serial ports</translation>
    </message>
    <message>
        <source>COM%1: 已断开，等待重新连接…</source>
        <translation>COM%1: unplugged, waiting…</translation>
    </message>
</context>
<context>
    <name>SystemMenu</name>
    <message>
        <source>系统菜单</source>
        <translation>System menu</translation>
    </message>
    <message>
        <source>还原</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>最大化</source>
        <translation>Maximize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TimeStamps</name>
    <message>
        <source>时间戳</source>
        <translation>Time stamps</translation>
    </message>
</context>
<context>
    <name>WholeSession</name>
    <message>
        <source>%1 字节</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>保留全部接收内容</source>
        <translation>Keep everything received</translation>
    </message>
    <message>
        <source>保留上限…</source>
        <translation>Limit kept…</translation>
    </message>
    <message>
        <source>保留上限</source>
        <translation>Limit kept</translation>
    </message>
    <message>
        <source>每个接收区最多保留（MiB，1–%1；本机内存 %2 GiB）：</source>
        <translation>Keep at most in each receive area (MiB, 1–%1; this machine has %2 GiB):</translation>
    </message>
    <message>
        <source>“%1”不是 1 到 %3 之间的整数，保留上限仍为 %2 MiB。</source>
        <translation>“%1” is not a whole number from 1 to %3; the limit stays %2 MiB.</translation>
    </message>
    <message>
        <source>保留上限（%1 MiB）…</source>
        <translation>Limit kept (%1 MiB)…</translation>
    </message>
    <message>
        <source>接收区保留 %1，已舍弃 %2（上限 %3 MiB）</source>
        <translation>Receive area keeps %1, let go %2 (limit %3 MiB)</translation>
    </message>
</context>
</TS>
