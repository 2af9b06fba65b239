#pragma once
#include <chrono>
#include <cstdint>
#include <optional>

// Line settings of a terminal, read and set through termios2 so that custom rates count.

// Puts the terminal in raw mode, 8 data bits: bytes pass unchanged, no echo, no signals.
bool MakeRaw(int fd);
// Time one byte takes on a line at `baud` with the framing in `cflag` (termios c_cflag bits):
// a start bit, the data bits, a parity bit if enabled, and the stop bits. Zero for baud 0.
std::chrono::nanoseconds ByteTime(uint32_t baud, uint32_t cflag);
// The byte time at the terminal's current settings, or nothing if they cannot be read.
std::optional<std::chrono::nanoseconds> CurrentByteTime(int fd);
