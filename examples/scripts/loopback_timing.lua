-- Two ports wired to each other (TX of one to RX of the other): sends
-- numbered lines on device 1's port, expects each on device 2's, and times
-- every answer. Fails when a line is lost or garbled.
--
-- kestrix --script loopback_timing.lua --port1 COM3 --port2 COM4

local rounds = 50
local times = {}

discard(2)
for n = 1, rounds do
  local line = string.format("line %04d of %d\r\n", n, rounds)
  local sent = clock()
  send(1, line)
  local found, before = expect(2, line, 1000)
  if not found then
    fail(string.format("line %d did not arrive whole; came instead: %q", n, before))
  end
  if before ~= "" then
    fail(string.format("before line %d came %q", n, before))
  end
  times[#times + 1] = clock() - sent
end

table.sort(times)
local total = 0
for _, t in ipairs(times) do total = total + t end
print(string.format("%d lines: fastest %.2f ms, median %.2f ms, slowest %.2f ms, mean %.2f ms",
                    rounds, times[1], times[(rounds + 1) // 2], times[rounds], total / rounds))
