// The later start's end of the command channel (app/commandchannel.h): hands
// a command to the instance already running. It needs no toolkit, so that the
// launcher sends a command with nothing else loaded.
#pragma once

#include "app/commandline.h"

#include <string>
#include <string_view>
#include <vector>

/// What the running instance answers a command it took.
inline constexpr std::string_view CommandAccepted = "ok\n";
/// The most bytes of paths one add message carries.
inline constexpr int MaxAddMessageBytes = 1 << 20;
/// How long a start waits for the running instance to take its command.
inline constexpr int HandOverTimeoutMs = 5000;

/// Hands `command` to the instance listening at `name` and waits for its
/// answer. True when the instance took it. Blocks for at most about
/// `timeoutMs`.
bool sendCommand(const std::string& name, RemoteCommand command, int timeoutMs = HandOverTimeoutMs);
/// Hands an add of `paths` to the instance listening at `name` (in several
/// messages when they are long). True when the instance took all of them.
bool sendAdd(const std::string& name, const std::vector<std::string>& paths,
             int timeoutMs = HandOverTimeoutMs);

/// The channel of the instance of the program at `executable` on this
/// desktop (platform::instanceChannelName of its title).
std::string commandChannelOf(const std::string& executable);

/// Hands the command of `command` (an add with `paths`, made absolute) to the
/// running instance at `channel`. True when it took it.
bool handOverCommand(const std::string& channel, const CommandLine& command,
                     const std::vector<std::string>& paths, int timeoutMs);
