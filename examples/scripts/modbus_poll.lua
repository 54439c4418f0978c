-- Polls a Modbus RTU slave on device 1's port: reads two holding registers
-- at address 0 of slave 1 five times, half a second apart, checks each answer's
-- CRC and prints the registers. Fails on a missing or damaged answer, or
-- an exception the slave returns.
--
-- kestrix --script modbus_poll.lua --port1 COM3 --baud1 9600 --parity1 E

local port = 1
local slave, first, count = 1, 0, 2

-- "Read holding registers" (function 3), its CRC appended.
local request = string.pack(">BBI2I2", slave, 3, first, count)
request = request .. checksum("modbus", request)

for poll = 1, 5 do
  discard(port)
  send_bytes(port, request)
  -- The answer's first three bytes say how long it is.
  local head = read_bytes(port, 3, 1000)
  if not head then fail("poll " .. poll .. ": no answer") end
  local address, code, length = head:byte(1, 3)
  if address ~= slave then fail(string.format("poll %d: answer from slave %d", poll, address)) end
  if code == 0x83 then fail(string.format("poll %d: the slave answered exception %d", poll, length)) end
  local rest = read_bytes(port, length + 2, 1000)
  if not rest then fail("poll " .. poll .. ": the answer was cut short") end
  local answer = head .. rest
  local body, crc = answer:sub(1, -3), answer:sub(-2)
  if checksum("modbus", body) ~= crc then
    fail(string.format("poll %d: bad CRC in %s", poll, to_hex(answer)))
  end
  local values = {}
  for n = 0, count - 1 do
    values[#values + 1] = string.unpack(">I2", body, 4 + 2 * n)
  end
  print(string.format("poll %d: registers %d..%d = %s", poll, first, first + count - 1,
                      table.concat(values, ", ")))
  if poll < 5 then sleep(500) end
end
