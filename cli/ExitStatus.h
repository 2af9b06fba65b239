#pragma once

// The tool's exit statuses, as its usage text lists them; a usage error and a file error
// share a status.
constexpr int ExitDone = 0;
constexpr int ExitLink = 1;
constexpr int ExitUsage = 2;
constexpr int ExitFile = 2;
constexpr int ExitCompare = 3;
// check: the configuration holds notes only, or at least one error.
constexpr int ExitCheckNotes = 3;
constexpr int ExitCheckErrors = 4;
