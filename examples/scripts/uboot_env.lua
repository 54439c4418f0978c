-- Stops a U-Boot board's autoboot and prints its environment: resets the
-- board with a pulse on RTS (wire RTS to the reset line, or reset it by
-- hand within 20 seconds), presses a key at "Hit any key to stop
-- autoboot", then sends printenv at the prompt and writes what it
-- printed to uboot_env.txt beside this script.
--
-- kestrix --script uboot_env.lua --port1 COM3 --baud1 115200

local port = 1
local prompt = "=> "

-- A line that cannot pulse (RTS driven by flow control) leaves it to you.
if not pcall(reset_pulse, port) then print("reset the board now") end
if not expect(port, "Hit any key to stop autoboot", 20000) then
  fail("the board did not offer to stop its autoboot")
end
send(port, " ")
if not expect(port, prompt, 3000) then fail("no prompt after stopping autoboot") end

send(port, "printenv\n")
local found, output = expect(port, prompt, 5000)
if not found then fail("printenv did not come back to the prompt") end
-- The board echoes the command first.
local environment = output:gsub("^printenv\r?\n", "")
print(environment)
write_file("uboot_env.txt", environment)
local variables = select(2, environment:gsub("\n", ""))
print(string.format("%d variables written to uboot_env.txt", variables))
