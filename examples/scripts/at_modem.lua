-- A modem's AT dialogue on device 1's port: is it there, what is it, how
-- good is the signal. Each command must be answered with OK within two
-- seconds, or the script fails and says what came instead.
--
-- kestrix --script at_modem.lua --port1 COM3 --baud1 115200

local port = 1

-- Sends an AT command and waits for its final OK; returns what the modem
-- said before it.
local function command(text)
  send(port, text .. "\r")
  local ok, answer = expect(port, "OK\r\n", 2000)
  if not ok then
    fail(text .. " got no OK; the modem said: " .. answer)
  end
  return answer
end

discard(port)       -- whatever the modem said before we began
command("AT")
command("ATE0")     -- no echo: the answers are the modem's alone
local identity = command("ATI"):match("^%s*(.-)%s*$")
print("modem: " .. identity)

send(port, "AT+CSQ\r")
local found, _, rssi, ber = expect_regex(port, [[\+CSQ: (\d+),(\d+)\s*OK\r\n]], 2000)
if not found then fail("AT+CSQ was not answered") end
rssi = tonumber(rssi)
if rssi == 99 then fail("no signal") end
print(string.format("signal: %d dBm (bit error rate class %s)", -113 + 2 * rssi, ber))
