#!/usr/bin/python3
"""pyserial's RFC 2217 server (serial.rfc2217.PortManager) on a loopback
serial object, for the tests: bytes sent to it come back; the line settings,
DTR, RTS and breaks it is told are printed, one a line, as a real line would
take them; it refuses the rate 12345 as a device without that rate does.

Usage: rfc2217_test_server.py PORT
Prints "LISTENING" once it takes connections on 127.0.0.1:PORT, then for
each change: "SETTINGS <baud> <bits> <parity> <stop> <xonxoff> <rtscts>",
"DTR <0|1>", "RTS <0|1>", "BREAK <0|1>". Reads commands on its standard
input: "CTS 1", "DSR 0", "RI 1", "CD 1" set the modem lines it notifies;
"LINESTATE <n>" notifies a line state; "SUSPEND" and "RESUME" send
FLOWCONTROL-SUSPEND and -RESUME; "DROP" closes the connection.
"""
import select
import socket
import sys
import threading

import serial
import serial.rfc2217 as rfc2217
from serial.urlhandler.protocol_loop import Serial as LoopSerial


def say(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


class TestLine(LoopSerial):
    """A loopback line that shows what it is told and whose modem lines the
    test sets."""

    lines = {"CTS": False, "DSR": False, "RI": False, "CD": False}

    def _reconfigure_port(self, *args, **kwargs):
        if self._baudrate == 12345:
            raise ValueError("no such rate on this line")
        LoopSerial._reconfigure_port(self, *args, **kwargs)
        say("SETTINGS %d %d %s %s %d %d" % (self._baudrate, self._bytesize, self._parity, self._stopbits,
                                            self._xonxoff, self._rtscts))

    def _update_dtr_state(self):
        say("DTR %d" % self._dtr_state)

    def _update_rts_state(self):
        say("RTS %d" % self._rts_state)

    def _update_break_state(self):
        say("BREAK %d" % self._break_state)

    @property
    def cts(self):
        return self.lines["CTS"]

    @property
    def dsr(self):
        return self.lines["DSR"]

    @property
    def ri(self):
        return self.lines["RI"]

    @property
    def cd(self):
        return self.lines["CD"]


class Connection:
    def __init__(self, sock):
        self.sock = sock
        self.lock = threading.Lock()

    def write(self, data):
        with self.lock:
            try:
                self.sock.sendall(data)
            except OSError:
                pass


def serve(client, line, state):
    connection = Connection(client)
    manager = rfc2217.PortManager(line, connection)
    state["connection"], state["manager"] = connection, manager

    def line_to_network():
        while state.get("connection") is connection:
            data = line.read(line.in_waiting or 1)
            if data:
                connection.write(b"".join(manager.escape(data)))

    threading.Thread(target=line_to_network, daemon=True).start()
    while True:
        try:
            data = client.recv(4096)
        except OSError:
            break
        if not data:
            break
        line.write(b"".join(manager.filter(data)))
    state["connection"] = None
    client.close()


def commands(state, line):
    for text in sys.stdin:
        words = text.split()
        if not words:
            continue
        manager, connection = state.get("manager"), state.get("connection")
        if words[0] in TestLine.lines:
            TestLine.lines[words[0]] = words[1] == "1"
            if manager:
                manager.check_modem_lines()
        elif words[0] == "LINESTATE" and manager:
            manager.rfc2217_send_subnegotiation(rfc2217.SERVER_NOTIFY_LINESTATE, bytes([int(words[1])]))
        elif words[0] == "SUSPEND" and manager:
            manager.rfc2217_send_subnegotiation(rfc2217.SERVER_FLOWCONTROL_SUSPEND)
        elif words[0] == "RESUME" and manager:
            manager.rfc2217_send_subnegotiation(rfc2217.SERVER_FLOWCONTROL_RESUME)
        elif words[0] == "DROP" and connection:
            connection.sock.shutdown(socket.SHUT_RDWR)
        say("DONE " + words[0])


def main():
    port = int(sys.argv[1])
    line = TestLine(None)
    line.port = "loop://"
    line.baudrate = 9600
    line.timeout = 0.1  # so that a finished connection's reader ends
    line.open()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", port))
    listener.listen(1)
    state = {}
    threading.Thread(target=commands, args=(state, line), daemon=True).start()
    say("LISTENING")
    while True:
        client, _ = listener.accept()
        client.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        serve(client, line, state)


if __name__ == "__main__":
    main()
