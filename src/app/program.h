// The entry of the program library (quorvane-program.so), which the launcher
// loads and calls.
#pragma once

/// Runs the program for the command line argc/argv as a start of the
/// executable would: help, version, a command for the running instance (not
/// offered again when `commandTried`: the launcher offered it and it was not
/// taken), or the program itself. Gives the exit code.
extern "C" __attribute__((visibility("default"))) int quorvaneProgramMain(int argc, char* argv[],
                                                                          bool commandTried);
