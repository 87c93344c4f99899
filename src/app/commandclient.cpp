#include "app/commandclient.h"

#include "app/apptitle.h"
#include "platform/instance.h"
#include "platform/localsocket.h"

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// Sends one message and waits for its answer, until `deadline` at most.
bool sendMessage(const std::string& name, std::string_view message, Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const auto answer = platform::exchangeOverLocalSocket(
        name, message, CommandAccepted.size() + 1, static_cast<int>(std::max<long long>(left, 0)));
    return answer && *answer == CommandAccepted;
}

std::string addMessage(const std::string& payload) {
    return "add " + std::to_string(payload.size()) + '\n' + payload;
}

} // namespace

bool sendCommand(const std::string& name, RemoteCommand command, int timeoutMs) {
    if (name.empty() || command == RemoteCommand::Add)
        return false;
    std::string line(commandName(command));
    line += '\n';
    return sendMessage(name, line, Clock::now() + std::chrono::milliseconds(timeoutMs));
}

bool sendAdd(const std::string& name, const std::vector<std::string>& paths, int timeoutMs) {
    if (name.empty() || paths.empty())
        return false;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    constexpr auto MaxBytes = static_cast<std::size_t>(MaxAddMessageBytes);
    std::string payload;
    for (const std::string& p : paths) {
        // A path cannot hold a zero byte; an empty one names nothing.
        if (p.empty() || p.find('\0') != std::string::npos || p.size() + 1 > MaxBytes)
            continue;
        if (payload.size() + p.size() + 1 > MaxBytes) {
            if (!sendMessage(name, addMessage(payload), deadline))
                return false;
            payload.clear();
        }
        payload += p;
        payload += '\0';
    }
    return payload.empty() || sendMessage(name, addMessage(payload), deadline);
}

std::string commandChannelOf(const std::string& executable) {
    return platform::instanceChannelName(titleFromExecutable(executable));
}

bool handOverCommand(const std::string& channel, const CommandLine& command,
                     const std::vector<std::string>& paths, int timeoutMs) {
    if (channel.empty() || command.action != CommandLine::Action::Command)
        return false;
    return command.command == RemoteCommand::Add ? sendAdd(channel, paths, timeoutMs)
                                                 : sendCommand(channel, command.command, timeoutMs);
}
