// The stream sockets of the command channel (see instanceChannelName): local
// sockets named by a path in the user's private runtime folder. The running
// instance listens and reads without ever waiting; a later start connects,
// hands its message over and waits a bounded time for the answer.
// Linux only: the Windows build holds no command channel.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

/// Listens at `path` for connections of this user's processes (the socket
/// file is readable and writable by its owner only); what a dead instance
/// left at that path is removed first. The listening descriptor, or -1 when
/// it cannot listen there. Descriptors from here are non-blocking and closed
/// on exec.
int listenLocalSocket(const std::string& path);

/// A connection waiting at `listener`, or -1 when none waits.
int acceptLocalSocket(int listener);

/// What `socket` has received, at most `max` bytes, without waiting.
enum class ReadState { Bytes, Nothing, Closed };
struct LocalRead {
    ReadState state = ReadState::Nothing;
    std::size_t count = 0; ///< bytes read into the buffer, for ReadState::Bytes
};
/// Reads into `buffer`: Closed when the other end closed its side (or on an
/// error), Nothing when no bytes are waiting.
LocalRead readLocalSocket(int socket, char* buffer, std::size_t max);

/// Writes all of `bytes` without waiting; false when they do not all fit now
/// or the other end is gone.
bool writeLocalSocket(int socket, std::string_view bytes);

/// Closes a descriptor from the functions above.
void closeLocalSocket(int socket);

/// Connects to `path`, sends `message` and reads the answer until its first
/// line break, `maxAnswer` bytes or the other end closing; the whole exchange
/// takes at most about `timeoutMs`. The answer (possibly cut short), or
/// nothing when no connection was made or the message could not be sent.
std::optional<std::string> exchangeOverLocalSocket(const std::string& path,
                                                   std::string_view message, std::size_t maxAnswer,
                                                   int timeoutMs);

} // namespace platform
