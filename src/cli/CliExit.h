#pragma once

// Exit codes of quorlin-cli, stable for scripts.
constexpr int kExitOk = 0;        // the command did all it was asked
constexpr int kExitUsage = 1;     // unknown command or option, missing or bad argument;
                                  // also the exit code of an internal error
constexpr int kExitInput = 2;     // an input file is missing, unreadable or not a bank or dump
constexpr int kExitTransfer = 3;  // a transfer with the instrument failed or arrived damaged
constexpr int kExitOutput = 4;    // the output file could not be written
constexpr int kExitDiffer = 5;    // diff, verify: the two banks hold different parameter bytes
